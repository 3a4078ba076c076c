#include "FileBytes.h"

#include <QFile>
#include <QtEndian>

#include <stdexcept>

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
  QFile out(path);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush())
    throw std::runtime_error("cannot write " + path.toStdString());
}

void Put16(QByteArray& out, int value) {
  const quint16 little = qToLittleEndian(static_cast<quint16>(value));
  out.append(reinterpret_cast<const char*>(&little), 2);
}

void Put32(QByteArray& out, qint64 value) {
  const quint32 little = qToLittleEndian(static_cast<quint32>(value));
  out.append(reinterpret_cast<const char*>(&little), 4);
}
