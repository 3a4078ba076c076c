// Drawing a metafile's bytes into a square image, as the tests check pictures by their pixels.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

#include "metafile/Metafile.h"

// The file drawn over a background into size x size pixels of the format.
inline QImage RenderMetafile(const QByteArray& bytes, int size,
                             const QColor& background = QColor(255, 255, 255),
                             QImage::Format format = QImage::Format_RGB32) {
  TMetafile metafile;
  metafile.LoadFromBytes(bytes);
  QImage image(size, size, format);
  image.fill(background);
  QPainter painter(&image);
  metafile.Draw(painter, QRect(0, 0, size, size));
  return image;
}
