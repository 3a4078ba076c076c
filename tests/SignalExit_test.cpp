#include <gtest/gtest.h>
#include <signal.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>

namespace {

// The real program, offscreen and silent, after it has found a pair and played the match sound.
class GameAfterFirstPair : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(QStringLiteral("ZUM_PLAY_FIRST_PAIR"), QStringLiteral("1"));
    // The sample folder beside the program, whatever folder of their own the person testing keeps.
    env.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral(ZUM_APP_DIR "/no-player-data"));
    game.setProcessEnvironment(env);
    game.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A terminal or a desktop session starts the game with the signals' default effects, whatever
    // this test process inherited.
    game.setChildProcessModifier([] {
      sigset_t signals;
      sigemptyset(&signals);
      for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
        signal(s, SIG_DFL);
        sigaddset(&signals, s);
      }
      sigprocmask(SIG_UNBLOCK, &signals, nullptr);
    });
    game.start(QStringLiteral(ZUM_APP_DIR "/zum"), {});
    ASSERT_TRUE(game.waitForStarted(10000)) << game.errorString().toStdString();
    const QDeadlineTimer deadline(60000);
    while (!game.canReadLine() && game.state() == QProcess::Running && !deadline.hasExpired())
      game.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    ASSERT_EQ(game.readLine().trimmed().toStdString(), "first pair found, sound device open");
  }
  void TearDown() override {
    if (game.state() == QProcess::NotRunning) return;
    game.kill();
    game.waitForFinished(10000);
  }

  QProcess game;
};

TEST_P(GameAfterFirstPair, EndsWithinASecondOfTheSignal) {
  const int signalNumber = GetParam();
  ASSERT_EQ(game.state(), QProcess::Running);
  ASSERT_EQ(::kill(static_cast<pid_t>(game.processId()), signalNumber), 0);
  ASSERT_TRUE(game.waitForFinished(1000)) << "still running a second after signal " << signalNumber;
  // Ended by the signal itself, as a program without handlers is.
  EXPECT_EQ(game.exitStatus(), QProcess::CrashExit);
  EXPECT_EQ(game.exitCode(), signalNumber);
}

INSTANTIATE_TEST_SUITE_P(Signals, GameAfterFirstPair, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                           switch (info.param) {
                             case SIGTERM:
                               return std::string("SIGTERM");
                             case SIGINT:
                               return std::string("SIGINT");
                             default:
                               return std::string("SIGHUP");
                           }
                         });

}  // namespace
