#include "Fonts.h"

#include <QFont>
#include <QStringList>

QFont LayoutFont(const QString& family, int pixelSize, QFont::Weight weight) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setWeight(weight);
  return font;
}
