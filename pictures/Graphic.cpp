// Reading a picture file whole, refusing one above the size limit.
#include "Graphic.h"

#include <QFile>

QByteArray ReadPictureFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw EFOpenError(
        QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()).toStdString());
  if (file.size() > kMaxPictureFileBytes)
    throw EInvalidGraphic(QStringLiteral("Picture file too large: \"%1\"").arg(path).toStdString());
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    throw EFOpenError(
        QStringLiteral("Cannot read file \"%1\". %2").arg(path, file.errorString()).toStdString());
  return bytes;
}
