#include "DataFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace {
// An empty or relative value is no base folder at all: one relative to wherever the game was started
// would change with the current directory.
QString AbsoluteOrEmpty(const QString& path) {
  return QDir::isAbsolutePath(path) ? path : QString();
}

QString PlayerDataFolder(const QProcessEnvironment& environment) {
  QString dataHome = AbsoluteOrEmpty(environment.value(QStringLiteral("XDG_DATA_HOME")));
  if (dataHome.isEmpty()) {
    const QString home = AbsoluteOrEmpty(environment.value(QStringLiteral("HOME")));
    if (home.isEmpty()) return {};
    dataHome = home + QStringLiteral("/.local/share");
  }
  return QDir::cleanPath(dataHome + QStringLiteral("/zum"));
}
}  // namespace

QString DataFolder(const QProcessEnvironment& environment, const QString& programFolder) {
  const QString player = PlayerDataFolder(environment);
  if (!player.isEmpty() && QFileInfo(player + QStringLiteral("/f")).isDir()) return player;
  return programFolder;
}
