// Translating a TColor to QColor, system colours from the application palette.
#include "TColor.h"

#include <QGuiApplication>
#include <QPalette>

namespace {
QColor SystemColor(TColor color) {
  const QPalette palette = QGuiApplication::palette();
  switch (color) {
    case clBtnFace:
      return palette.color(QPalette::Button);
    case clBtnShadow:
      return palette.color(QPalette::Dark);
    case clBtnHighlight:
      return palette.color(QPalette::Light);
    case clWindowText:
      return palette.color(QPalette::WindowText);
    case clHighlight:
      return palette.color(QPalette::Highlight);
    case clWindow:
      return palette.color(QPalette::Base);
    default:
      return palette.color(QPalette::Window);
  }
}
}  // namespace

QColor ToQColor(TColor color) {
  if (color & clSystemColor) return SystemColor(color);
  return QColor(static_cast<int>(color & 0xFFu), static_cast<int>((color >> 8) & 0xFFu),
                static_cast<int>((color >> 16) & 0xFFu));
}
