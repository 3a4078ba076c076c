#include "FileBytes.h"

#include <QFile>

#include <stdexcept>

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
  QFile out(path);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush())
    throw std::runtime_error("cannot write " + path.toStdString());
}
