// The choice between the player's own folder f and the one beside the program, and a game played
// from the player's.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <filesystem>

#include "DataFolder.h"
#include "ErrorBoxRecorder.h"
#include "Forms.h"
#include "MediaPlayer.h"

namespace {

const QString kProgram = QStringLiteral("/usr/libexec/zum");

// A scratch home and data folder, and the environment the game would be started with.
class PlayerFolder : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(root_.isValid()); }

  QString Path(const QString& relative) const { return root_.filePath(relative); }
  QString MakeFolder(const QString& relative) {
    EXPECT_TRUE(QDir().mkpath(Path(relative)));
    return Path(relative);
  }
  void MakeFile(const QString& relative) {
    QFile file(Path(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QString Choice() const { return DataFolder(env, kProgram); }

  QProcessEnvironment env;

 private:
  QTemporaryDir root_;
};

TEST_F(PlayerFolder, DataHomeVariableSetChoosesItsZumFolder) {
  MakeFolder(QStringLiteral("data/zum/f"));
  MakeFolder(QStringLiteral("home/.local/share/zum/f"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data")));
  env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
  EXPECT_EQ(Choice(), Path(QStringLiteral("data/zum")));
}

TEST_F(PlayerFolder, DataHomeVariableSetWithoutTheFolderDoesNotFallBackToHome) {
  MakeFolder(QStringLiteral("data"));
  MakeFolder(QStringLiteral("home/.local/share/zum/f"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data")));
  env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
  EXPECT_EQ(Choice(), kProgram);
}

TEST_F(PlayerFolder, DataHomeVariableWithTrailingSlashGivesACleanPath) {
  MakeFolder(QStringLiteral("data/zum/f"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data/")));
  EXPECT_EQ(Choice(), Path(QStringLiteral("data/zum")));
}

TEST_F(PlayerFolder, OnlyHomeChoosesLocalShare) {
  MakeFolder(QStringLiteral("home/.local/share/zum/f"));
  env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
  EXPECT_EQ(Choice(), Path(QStringLiteral("home/.local/share/zum")));
}

TEST_F(PlayerFolder, EmptyDataHomeVariableCountsAsUnset) {
  MakeFolder(QStringLiteral("home/.local/share/zum/f"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), QString());
  env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
  EXPECT_EQ(Choice(), Path(QStringLiteral("home/.local/share/zum")));
}

TEST_F(PlayerFolder, RelativeDataHomeVariableIsIgnored) {
  MakeFolder(QStringLiteral("data/zum/f"));
  MakeFolder(QStringLiteral("home/.local/share/zum/f"));
  const std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(Path(QString()).toStdString());
  env.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("data"));
  env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
  const QString choice = Choice();
  std::filesystem::current_path(saved);
  EXPECT_EQ(choice, Path(QStringLiteral("home/.local/share/zum")));
}

TEST_F(PlayerFolder, NeitherVariableChoosesTheProgramFolder) {
  EXPECT_EQ(Choice(), kProgram);
}

TEST_F(PlayerFolder, EmptyHomeIsNotTheRootFolder) {
  env.insert(QStringLiteral("HOME"), QString());
  EXPECT_EQ(Choice(), kProgram);
}

TEST_F(PlayerFolder, AFileInTheFolderPlaceChoosesTheProgramFolder) {
  MakeFolder(QStringLiteral("home/.local/share/zum"));
  MakeFile(QStringLiteral("home/.local/share/zum/f"));
  env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
  EXPECT_EQ(Choice(), kProgram);
}

TEST_F(PlayerFolder, ALinkToAFolderCountsAsTheFolder) {
  MakeFolder(QStringLiteral("pictures"));
  MakeFolder(QStringLiteral("home/.local/share/zum"));
  ASSERT_TRUE(QFile::link(Path(QStringLiteral("pictures")), Path(QStringLiteral("home/.local/share/zum/f"))));
  env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
  EXPECT_EQ(Choice(), Path(QStringLiteral("home/.local/share/zum")));
}

TEST_F(PlayerFolder, ABrokenLinkChoosesTheProgramFolder) {
  MakeFolder(QStringLiteral("home/.local/share/zum"));
  ASSERT_TRUE(QFile::link(Path(QStringLiteral("gone")), Path(QStringLiteral("home/.local/share/zum/f"))));
  env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
  EXPECT_EQ(Choice(), kProgram);
}

// A folder without the pictures and the sound is still the player's: the game answers as it does
// for any short folder, and its sound is looked for there.
TEST_F(PlayerFolder, AFolderWithoutTheFilesIsChosenAndGivesTheListError) {
  MakeFolder(QStringLiteral("home/.local/share/zum/f"));
  env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
  ASSERT_EQ(Choice(), Path(QStringLiteral("home/.local/share/zum")));

  ErrorBoxRecorder errors;
  const std::filesystem::path saved = std::filesystem::current_path();
  {
    TForms forms(Choice());
    EXPECT_EQ(forms.Form1->musica->FileName(), Path(QStringLiteral("home/.local/share/zum/f/ok.wav")));
    forms.Form1->Nuevapartida1->trigger();
    EXPECT_EQ(QDir::currentPath(), Path(QStringLiteral("home/.local/share/zum/f")));
  }
  std::filesystem::current_path(saved);
  ASSERT_EQ(errors.messages.size(), 1);
  EXPECT_TRUE(errors.messages[0].startsWith(QStringLiteral("List index out of bounds (")))
      << errors.messages[0].toStdString();
}

// The player's folder serves the game in every respect: the pictures are drawn from its listing, the
// card back is read from it as the current directory.
TEST_F(PlayerFolder, AFullFolderDealsItsOwnPictures) {
  const QString f = MakeFolder(QStringLiteral("data/zum/f"));
  const QDir sample(QStringLiteral(ZUM_APP_DIR "/f"));
  for (const QString& name : sample.entryList(QDir::Files))
    ASSERT_TRUE(QFile::copy(sample.filePath(name), f + QLatin1Char('/') + name));
  env.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data")));

  ErrorBoxRecorder errors;
  const std::filesystem::path saved = std::filesystem::current_path();
  {
    TForms forms(DataFolder(env, QStringLiteral(ZUM_APP_DIR)));
    forms.Form1->Nuevapartida1->trigger();
    EXPECT_EQ(QDir::currentPath(), f);
    for (int p = 1; p <= 10; ++p) {
      const QString foto = QString::fromStdString(forms.Form1->State().fotos[static_cast<std::size_t>(p)]);
      EXPECT_TRUE(foto.startsWith(f + QLatin1Char('/'))) << foto.toStdString();
    }
  }
  std::filesystem::current_path(saved);
  EXPECT_TRUE(errors.messages.isEmpty());
}

}  // namespace
