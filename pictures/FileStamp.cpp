// Stamping a picture file from its status, checking that it can be opened.
#include "FileStamp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

std::optional<TFileStamp> StampOf(const QString& fileName) {
  TFileStamp stamp;
  stamp.path = QFileInfo(fileName).absoluteFilePath();
  const QByteArray encoded = QFile::encodeName(stamp.path);
  struct stat info {};
  if (::stat(encoded.constData(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  stamp.size = info.st_size;
  // The status change time moves with permission changes too, so a file made unreadable is not
  // served from memory; the open below catches what the stamp cannot see.
  stamp.changeTimeNs = static_cast<qint64>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
  const int fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  ::close(fd);
  return stamp;
}
