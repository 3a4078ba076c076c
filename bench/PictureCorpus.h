// The real-world picture corpus the benchmarks read: where it is and its files of some kinds.
#pragma once

#include <QString>
#include <QStringList>
#include <initializer_list>

// ZUM_PICTURE_CORPUS when set, else ../shared/pictures beside the sources.
QString PictureCorpusFolder();

// The files of the corpus's folders of those kinds (one folder per kind, named after it), by name.
// Empty without a corpus.
QStringList PictureCorpusFiles(std::initializer_list<const char*> kinds);
