// zum-imagenes, run from an installed layout in a scratch prefix: it makes the player's folder as a
// copy of the shipped one, never touches an existing one, prints the folder the game then plays with
// and opens it only in a desktop session.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "DataFolder.h"

namespace {

struct CommandResult {
  int exitCode = -1;
  QString out;
  QString err;
};

class ZumImagenes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root_.isValid());
    // The layout the package installs: the command in games/, the shipped folder in share/games/zum/f.
    ASSERT_TRUE(QDir().mkpath(Path("usr/games")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZUM_IMAGENES), Path("usr/games/zum-imagenes")));
    ASSERT_TRUE(QFile::setPermissions(Path("usr/games/zum-imagenes"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ASSERT_TRUE(QDir().mkpath(Path("usr/share/games/zum/f")));
    for (const char* name : {"base.jpg", "c01-sol.jpg", "ok.wav"})
      Write("usr/share/games/zum/f/" + QString::fromLatin1(name), name);
    ASSERT_TRUE(QDir().mkpath(Path("home")));
    ASSERT_TRUE(QDir().mkpath(Path("bin")));
    // A file manager that only notes what it was asked to open.
    Write("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"${0%/*}/opened\"\n");
    ASSERT_TRUE(
        QFile::setPermissions(Path("bin/xdg-open"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    env.insert(QStringLiteral("PATH"), Path("bin") + QStringLiteral(":/usr/bin:/bin"));
    env.insert(QStringLiteral("HOME"), Path("home"));
  }

  QString Path(const QString& relative) const { return root_.filePath(relative); }
  QString Path(const char* relative) const { return Path(QString::fromLatin1(relative)); }
  void Write(const QString& relative, const QByteArray& bytes) {
    QFile file(Path(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  void Write(const char* relative, const QByteArray& bytes) { Write(QString::fromLatin1(relative), bytes); }
  QByteArray Read(const QString& relative) const {
    QFile file(Path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
  }
  QByteArray Read(const char* relative) const { return Read(QString::fromLatin1(relative)); }

  CommandResult RunCommand() {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(Path("usr/games/zum-imagenes"), {});
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
  }
  QStringList Opened() const {
    if (!QFile::exists(Path("bin/opened"))) return {};
    return QString::fromUtf8(Read("bin/opened")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }

  QProcessEnvironment env;

 private:
  QTemporaryDir root_;
};

TEST_F(ZumImagenes, MakesTheFolderAsACopyOfTheShippedOneAndPrintsIt) {
  const CommandResult run = RunCommand();
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QString folder = Path("home/.local/share/zum/f");
  EXPECT_EQ(run.out, folder + QLatin1Char('\n'));
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"base.jpg", "c01-sol.jpg", "ok.wav"}));
  EXPECT_EQ(Read("home/.local/share/zum/f/c01-sol.jpg"), "c01-sol.jpg");
  EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/base.jpg")).isWritable()) << "the copies are the player's";
  EXPECT_EQ(
      QDir(Path("home/.local/share/zum")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
      QStringList{"f"})
      << "nothing left beside it";
  // The game plays with the folder printed.
  EXPECT_EQ(DataFolder(env, QStringLiteral("/usr/libexec/zum")) + QStringLiteral("/f"), folder);
}

TEST_F(ZumImagenes, FollowsTheDataHomeVariableAsTheGameDoes) {
  env.insert(QStringLiteral("XDG_DATA_HOME"), Path("data"));
  CommandResult run = RunCommand();
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(run.out, Path("data/zum/f") + QLatin1Char('\n'));
  EXPECT_EQ(DataFolder(env, QStringLiteral("/usr/libexec/zum")), Path("data/zum"));

  // A relative value is no folder, for the game and for the command alike.
  env.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("data"));
  run = RunCommand();
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(run.out, Path("home/.local/share/zum/f") + QLatin1Char('\n'));
  EXPECT_EQ(DataFolder(env, QStringLiteral("/usr/libexec/zum")), Path("home/.local/share/zum"));
}

TEST_F(ZumImagenes, NeverOverwritesNorDeletesAFileOfThePlayers) {
  ASSERT_EQ(RunCommand().exitCode, 0);
  Write("home/.local/share/zum/f/c01-sol.jpg", "mine");
  ASSERT_TRUE(QFile::remove(Path("home/.local/share/zum/f/base.jpg")));
  Write("home/.local/share/zum/f/zz-mine.bmp", "mine too");

  const CommandResult again = RunCommand();
  ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
  EXPECT_EQ(again.out, Path("home/.local/share/zum/f") + QLatin1Char('\n'));
  EXPECT_EQ(Read("home/.local/share/zum/f/c01-sol.jpg"), "mine");
  EXPECT_FALSE(QFile::exists(Path("home/.local/share/zum/f/base.jpg")));
  EXPECT_EQ(Read("home/.local/share/zum/f/zz-mine.bmp"), "mine too");
}

TEST_F(ZumImagenes, AFileInTheFolderPlaceIsLeftAndReported) {
  ASSERT_TRUE(QDir().mkpath(Path("home/.local/share/zum")));
  Write("home/.local/share/zum/f", "not a folder");
  const CommandResult run = RunCommand();
  EXPECT_NE(run.exitCode, 0);
  EXPECT_TRUE(run.out.isEmpty());
  EXPECT_TRUE(run.err.contains(QStringLiteral("no es una carpeta"))) << run.err.toStdString();
  EXPECT_EQ(Read("home/.local/share/zum/f"), "not a folder");
}

TEST_F(ZumImagenes, AFailedCopyLeavesNoFolderBehind) {
  ASSERT_TRUE(QDir(Path("usr/share/games/zum/f")).removeRecursively());
  const CommandResult run = RunCommand();
  EXPECT_NE(run.exitCode, 0);
  EXPECT_EQ(
      QDir(Path("home/.local/share/zum")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
      QStringList{});
}

TEST_F(ZumImagenes, OpensTheFolderOnlyInADesktopSession) {
  ASSERT_EQ(RunCommand().exitCode, 0);
  EXPECT_EQ(Opened(), QStringList{}) << "no display, nothing to open it on";

  env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":5"));
  ASSERT_EQ(RunCommand().exitCode, 0);
  env.remove(QStringLiteral("DISPLAY"));
  env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0"));
  ASSERT_EQ(RunCommand().exitCode, 0);
  const QString folder = Path("home/.local/share/zum/f");
  EXPECT_EQ(Opened(), (QStringList{folder, folder}));
}

TEST_F(ZumImagenes, AFileManagerThatFailsStillLeavesTheFolderAndItsPath) {
  Write("bin/xdg-open", "#!/bin/sh\nexit 3\n");
  env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":5"));
  const CommandResult run = RunCommand();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, Path("home/.local/share/zum/f") + QLatin1Char('\n'));
  EXPECT_TRUE(run.err.contains(QStringLiteral("no se pudo abrir"))) << run.err.toStdString();
}

}  // namespace
