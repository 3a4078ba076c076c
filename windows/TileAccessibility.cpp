#include "TileAccessibility.h"

#include <QAccessible>
#include <QFileInfo>
#include <QRegularExpression>
#include <QWidget>

namespace {
constexpr char kShowsFaceProperty[] = "zumShowsFace";
}

QString CasillaAccessibleState(const TCasilla& casilla) {
  if (casilla.acertada) return QStringLiteral("pareja encontrada");
  if (casilla.destapada) return QStringLiteral("boca arriba");
  return QStringLiteral("boca abajo");
}

bool CasillaShowsFace(const TCasilla& casilla) {
  return casilla.acertada || casilla.destapada;
}

QString PictureSpokenName(const QString& fileName) {
  const QFileInfo info(fileName);
  QString name = info.completeBaseName();
  if (name.isEmpty()) name = info.fileName();  // ".jpg": a name that is all extension
  static const QRegularExpression sortingPrefix(QStringLiteral("^\\p{L}*\\d[\\p{L}\\d]*-(?=.)"));
  name.remove(sortingPrefix);
  name.replace(QLatin1Char('-'), QLatin1Char(' ')).replace(QLatin1Char('_'), QLatin1Char(' '));
  name = name.simplified();
  return name.isEmpty() ? NoPictureSpokenName() : name;
}

QString NoPictureSpokenName() {
  return QStringLiteral("sin imagen");
}

QString CasillaAccessibleName(int tile, const TCasilla& casilla, const QString& face) {
  const QString name = QStringLiteral("Casilla %1, %2").arg(tile).arg(CasillaAccessibleState(casilla));
  if (!CasillaShowsFace(casilla)) return name;
  return name + QStringLiteral(": ") + (face.isEmpty() ? NoPictureSpokenName() : face);
}

TTileChanges SetTileAccessibleState(QWidget& tile, const QString& name, const QString& state,
                                    bool showsFace) {
  // Qt announces every call of these setters, changed or not; twenty announcements per click would
  // bury the one that matters.
  TTileChanges changes;
  changes.name = tile.accessibleName() != name;
  if (changes.name) tile.setAccessibleName(name);
  changes.state = tile.accessibleDescription() != state;
  if (changes.state) tile.setAccessibleDescription(state);
  changes.showsFace = TileShowsFace(tile) != showsFace;
  if (changes.showsFace) {
    tile.setProperty(kShowsFaceProperty, showsFace);
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(&tile, changed);
    QAccessible::updateAccessibility(&event);
  }
  return changes;
}

bool TileShowsFace(const QWidget& tile) {
  return tile.property(kShowsFaceProperty).toBool();
}
