#pragma once

#include <QByteArray>
#include <QString>

// Writes bytes as the whole file at path; throws std::runtime_error when it cannot be written.
void WriteFileBytes(const QString& path, const QByteArray& bytes);

// Appends a 16- or 32-bit value in little-endian order, as the WAV and ICO formats store them.
void Put16(QByteArray& out, int value);
void Put32(QByteArray& out, qint64 value);
