#pragma once

#include <QByteArray>
#include <QString>

// Writes bytes as the whole file at path; throws std::runtime_error when it cannot be written.
void WriteFileBytes(const QString& path, const QByteArray& bytes);
