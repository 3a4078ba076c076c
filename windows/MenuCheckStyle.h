// The look of a menu's checkable command: a bare tick while marked, nothing while not.
#pragma once

#include <QProxyStyle>

// A menu command that can be marked shows a tick while marked and nothing beside its text while not,
// as a Windows menu does; Fusion draws an empty check box beside an unmarked one (and a disabled one)
// instead. Other elements, and the bullets of radio items, keep the base style's look.
class TMenuCheckStyle : public QProxyStyle {
  Q_OBJECT
 public:
  // baseStyleKey names the style to follow, as QStyleFactory knows it.
  explicit TMenuCheckStyle(const QString& baseStyleKey);

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
};
