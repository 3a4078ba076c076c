// The tests a file name passes before a picture is loaded from it: no wildcard, a readable non-folder file.
#include "PictureName.h"

#include <QFileInfo>

bool IsWildcardName(const QString& name) {
  const QString fileName = QFileInfo(name).fileName();
  return fileName.contains(QLatin1Char('*')) || fileName.contains(QLatin1Char('?'));
}

bool IsAcceptedPictureName(const QString& name) {
  if (name.isEmpty() || IsWildcardName(name)) return false;
  const QFileInfo info(name);
  return info.exists() && !info.isDir();
}
