#pragma once

#include <QByteArray>
#include <QtEndian>

// A 54-byte BMP header of a 24-bit bitmap with the given size and no pixel data.
inline QByteArray BmpHeader(qint32 width, qint32 height) {
  QByteArray bytes(54, '\0');
  auto* d = reinterpret_cast<uchar*>(bytes.data());
  d[0] = 'B';
  d[1] = 'M';
  qToLittleEndian<quint32>(54, d + 2);
  qToLittleEndian<quint32>(54, d + 10);
  qToLittleEndian<quint32>(40, d + 14);
  qToLittleEndian<qint32>(width, d + 18);
  qToLittleEndian<qint32>(height, d + 22);
  qToLittleEndian<quint16>(1, d + 26);
  qToLittleEndian<quint16>(24, d + 28);
  return bytes;
}
