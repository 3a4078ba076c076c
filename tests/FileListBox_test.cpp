#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>

#include "Errors.h"
#include "FileListBox.h"

namespace {

void Touch(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write("x");
}

// Puts the process back in its folder after a test that entered another one.
struct KeepCurrentDirectory {
  std::filesystem::path saved = std::filesystem::current_path();
  ~KeepCurrentDirectory() { std::filesystem::current_path(saved); }
};

}  // namespace

TEST(FileListBox, ListsOrdinaryVisibleFilesWithoutRegardToCase) {
  KeepCurrentDirectory keep;
  QTemporaryDir dir;
  for (const char* name : {"ok.wav", "Base.jpg", "c02.BMP", "C01.jpg", "zeta", ".hidden.jpg", "a b.jpg"})
    Touch(dir.filePath(QString::fromUtf8(name)));
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("carpeta")));
  ASSERT_EQ(symlink("nowhere", dir.filePath(QStringLiteral("dangling")).toLocal8Bit().constData()), 0);

  TFileListBox list;
  list.SetDirectory(dir.path().toStdString());
  EXPECT_EQ(list.Items(),
            (std::vector<std::string>{"a b.jpg", "Base.jpg", "C01.jpg", "c02.BMP", "ok.wav", "zeta"}));
  EXPECT_FALSE(list.isVisible());
  EXPECT_EQ(list.objectName(), QStringLiteral("ficheros"));
}

TEST(FileListBox, EnteringTheFolderMakesRelativeNamesWork) {
  KeepCurrentDirectory keep;
  QTemporaryDir dir;
  Touch(dir.filePath(QStringLiteral("base.jpg")));
  TFileListBox list;
  list.SetDirectory(dir.path().toStdString() + "/");
  const std::string canonical = std::filesystem::canonical(dir.path().toStdString()).string();
  EXPECT_EQ(list.Directory(), canonical) << "a full path without a trailing separator";
  EXPECT_EQ(std::filesystem::current_path().string(), canonical);
  EXPECT_TRUE(QFile::exists(QStringLiteral("base.jpg")));
}

TEST(FileListBox, TheSameFolderIsListedOnlyOnce) {
  KeepCurrentDirectory keep;
  QTemporaryDir dir;
  Touch(dir.filePath(QStringLiteral("a.jpg")));
  TFileListBox list;
  const std::string folder = std::filesystem::canonical(dir.path().toStdString()).string();
  list.SetDirectory(folder);
  Touch(dir.filePath(QStringLiteral("b.jpg")));
  list.SetDirectory(folder);
  EXPECT_EQ(list.Count(), 1) << "files added while the program runs are seen only at the next run";
}

TEST(FileListBox, FailuresCarryTheSystemTextAndThePosition) {
  KeepCurrentDirectory keep;
  const auto before = std::filesystem::current_path();
  TFileListBox list;
  try {
    list.SetDirectory("/nonexistent/zum/f");
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "No such file or directory");
  }
  EXPECT_EQ(std::filesystem::current_path(), before) << "the current directory stays where it was";
  EXPECT_EQ(list.Directory(), "");

  QTemporaryDir dir;
  Touch(dir.filePath(QStringLiteral("only.jpg")));
  list.SetDirectory(dir.path().toStdString());
  EXPECT_EQ(list.Item(0), "only.jpg");
  try {
    list.Item(69);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (69)");
  }
}

TEST(FileListBox, AFolderReachedThroughALinkIsListedOnlyOnce) {
  KeepCurrentDirectory keep;
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("real")));
  Touch(dir.filePath(QStringLiteral("real/a.jpg")));
  const std::string link = dir.filePath(QStringLiteral("f")).toStdString();
  ASSERT_EQ(symlink(dir.filePath(QStringLiteral("real")).toLocal8Bit().constData(), link.c_str()), 0);
  TFileListBox list;
  list.SetDirectory(link);
  Touch(dir.filePath(QStringLiteral("real/b.jpg")));
  list.SetDirectory(link);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Directory(), std::filesystem::canonical(dir.path().toStdString() + "/real").string());
}
