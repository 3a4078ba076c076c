#include "Fonts.h"

#include <QFont>
#include <QStringList>

QFont LayoutFont(const QString& family, int pixelSize, QFont::Weight weight) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setWeight(weight);
  return font;
}

void InstallFontSubstitutes() {
  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), QStringList()
                                                                  << QStringLiteral("Liberation Sans")
                                                                  << QStringLiteral("DejaVu Sans"));
  QFont::insertSubstitutions(QStringLiteral("Arial Narrow"), QStringList()
                                                                 << QStringLiteral("Liberation Sans Narrow")
                                                                 << QStringLiteral("DejaVu Sans Condensed"));
  QFont::insertSubstitutions(QStringLiteral("Arial Black"), QStringList()
                                                                << QStringLiteral("DejaVu Sans")
                                                                << QStringLiteral("Liberation Sans"));
}
