// TFileStamp: what tells a picture file as it is now from the same file changed since (path, size, change
// time).
#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// A regular file as it is now: its absolute path, its size and its status change time. Two equal
// stamps name the same bytes, so what was made from them may be used again.
struct TFileStamp {
  QString path;
  qint64 size = 0;
  qint64 changeTimeNs = 0;
  bool operator==(const TFileStamp&) const = default;
};

// The stamp of the file now; none when it is missing, not a regular file or cannot be opened for
// reading (the plain load then reports why).
std::optional<TFileStamp> StampOf(const QString& fileName);
