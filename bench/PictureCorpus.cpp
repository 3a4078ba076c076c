// Finding the picture corpus and listing its files.
#include "PictureCorpus.h"

#include <QDir>

QString PictureCorpusFolder() {
  const QByteArray chosen = qgetenv("ZUM_PICTURE_CORPUS");
  return chosen.isEmpty() ? QStringLiteral(ZUM_SOURCE_DIR "/../shared/pictures")
                          : QString::fromLocal8Bit(chosen);
}

QStringList PictureCorpusFiles(std::initializer_list<const char*> kinds) {
  const QString corpus = PictureCorpusFolder();
  QStringList files;
  for (const char* kind : kinds) {
    const QDir folder(corpus + QLatin1Char('/') + QLatin1String(kind));
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) files << folder.filePath(name);
  }
  return files;
}
