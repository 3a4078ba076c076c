#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>
#include <signal.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "MediaPlayer.h"

namespace {

const QString kChime = QStringLiteral(ZUM_APP_DIR "/f/ok.wav");
constexpr int kLoud = 64;  // a sample above this is sound, not silence or rounding

std::vector<int16_t> ReadSamples(const QString& path, qsizetype offset) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll().mid(offset);
  std::vector<int16_t> samples(static_cast<size_t>(bytes.size() / 2));
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = qFromLittleEndian<qint16>(bytes.constData() + 2 * i);
  return samples;
}

// The samples of a canonical PCM WAV file, whose data starts after the 44-byte header.
std::vector<int16_t> ChimeSamples() {
  return ReadSamples(kChime, 44);
}

struct TSpan {
  long first = -1, last = -1;
  long Length() const { return first < 0 ? 0 : last - first + 1; }
};

TSpan LoudSpan(const std::vector<int16_t>& samples) {
  TSpan span;
  for (size_t i = 0; i < samples.size(); ++i)
    if (std::abs(samples[i]) > kLoud) {
      if (span.first < 0) span.first = static_cast<long>(i);
      span.last = static_cast<long>(i);
    }
  return span;
}

// Runs SDL's disk driver for one test, writing the device output into a file of its own.
class MediaPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    UseOutput(QStringLiteral("first.raw"));
  }
  void TearDown() override {
    qputenv("SDL_AUDIODRIVER", "dummy");
    qunsetenv("SDL_DISKAUDIOFILE");
    // No SDL subsystem may outlive a test, or the next one could not change the driver.
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
  }
  QString UseOutput(const QString& name) {
    const QString path = folder_.filePath(name);
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", path.toLocal8Bit());
    return path;
  }
  static void WaitUntilSilent() {
    for (int i = 0; i < 1000 && Mix_Playing(-1) > 0; ++i) SDL_Delay(10);
    // The last mixed buffer still has to pass through the disk driver.
    SDL_Delay(100);
  }
  static std::string OpenError(TMediaPlayer& player) {
    try {
      player.Open();
    } catch (const std::runtime_error& error) {
      return error.what();
    }
    return "no error";
  }

  QTemporaryDir folder_;
};

// The output must hold the chime sample for sample, from its first loud sample to its last.
void ExpectWholeChime(const std::vector<int16_t>& output) {
  const std::vector<int16_t> chime = ChimeSamples();
  ASSERT_GT(chime.size(), 44100u * 2 / 4);
  const TSpan expected = LoudSpan(chime), played = LoudSpan(output);
  ASSERT_GT(played.Length(), 0) << "the output is silent";
  EXPECT_EQ(played.Length(), expected.Length());
  ASSERT_EQ(played.first % 2, expected.first % 2) << "left and right channels swapped";
  int worst = 0;
  for (long i = expected.first; i <= expected.last; ++i) {
    const size_t at = static_cast<size_t>(played.first + i - expected.first);
    if (at >= output.size()) {
      ADD_FAILURE() << "the output ends before the chime";
      return;
    }
    worst = std::max(worst, std::abs(output[at] - chime[static_cast<size_t>(i)]));
  }
  EXPECT_LE(worst, 2);
}

}  // namespace

TEST_F(MediaPlayerTest, LaysItselfOutAsTheHiddenPlayerMusica) {
  TMediaPlayer player;
  EXPECT_EQ(player.objectName(), QStringLiteral("musica"));
  EXPECT_EQ(player.geometry(), QRect(296, 48, 253, 30));
  EXPECT_TRUE(player.isHidden());
  EXPECT_EQ(player.focusPolicy(), Qt::NoFocus);
  EXPECT_TRUE(player.FileName().isEmpty());
  EXPECT_FALSE(player.IsOpen());
}

TEST_F(MediaPlayerTest, PlaysTheSamplesOfTheChimeToTheDevice) {
  const QString output = folder_.filePath(QStringLiteral("first.raw"));
  {
    TMediaPlayer player;
    player.SetFileName(kChime);
    player.Open();
    EXPECT_TRUE(player.IsOpen());
    player.Play();
    WaitUntilSilent();
  }
  ExpectWholeChime(ReadSamples(output, 0));
}

TEST_F(MediaPlayerTest, ASecondOpenCutsTheSoundOffAndPlaysAnew) {
  const QString first = folder_.filePath(QStringLiteral("first.raw"));
  TMediaPlayer player;
  player.SetFileName(kChime);
  player.Open();
  player.Play();
  bool started = false;
  for (int i = 0; i < 1000 && !started; ++i) {
    SDL_Delay(5);
    started = LoudSpan(ReadSamples(first, 0)).Length() > 0;
  }
  ASSERT_TRUE(started) << "the first sound never reached the device";

  const QString second = UseOutput(QStringLiteral("second.raw"));
  player.Open();
  player.Play();
  WaitUntilSilent();
  player.Close();

  EXPECT_LT(LoudSpan(ReadSamples(first, 0)).Length(), LoudSpan(ChimeSamples()).Length() * 2 / 3)
      << "the first sound played on after the second open";
  ExpectWholeChime(ReadSamples(second, 0));
}

TEST_F(MediaPlayerTest, AnOpenDeviceLeavesTheTerminationSignalsAlone) {
  // Even when the environment asks SDL for its own handlers.
  qputenv("SDL_NO_SIGNAL_HANDLERS", "0");
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  for (const int s : {SIGINT, SIGTERM}) ASSERT_EQ(sigaction(s, &defaults, nullptr), 0);
  TMediaPlayer player;
  player.SetFileName(kChime);
  player.Open();
  ASSERT_TRUE(player.IsOpen());
  for (const int s : {SIGINT, SIGTERM}) {
    struct sigaction now {};
    ASSERT_EQ(sigaction(s, nullptr, &now), 0);
    EXPECT_EQ(now.sa_handler, SIG_DFL) << "signal " << s;
  }
  player.Close();
  qunsetenv("SDL_NO_SIGNAL_HANDLERS");
}

TEST_F(MediaPlayerTest, PlayBeforeOpenAndAfterCloseIsSilent) {
  TMediaPlayer player;
  player.SetFileName(kChime);
  player.Play();
  player.Open();
  player.Close();
  player.Play();
  EXPECT_FALSE(player.IsOpen());
}

TEST_F(MediaPlayerTest, AMissingFileGivesSdlsOpenError) {
  TMediaPlayer player;
  const QString missing = folder_.filePath(QStringLiteral("no-such.wav"));
  player.SetFileName(missing);
  EXPECT_EQ(OpenError(player), "Couldn't open " + missing.toStdString());
  player.Close();
}

TEST_F(MediaPlayerTest, AFileThatIsNoSoundGivesSdlsFormatError) {
  TMediaPlayer player;
  player.SetFileName(QStringLiteral(ZUM_APP_DIR "/f/base.jpg"));
  EXPECT_EQ(OpenError(player), "Unrecognized audio format");
}

TEST_F(MediaPlayerTest, AnUnusableDriverGivesSdlsErrorText) {
  qputenv("SDL_AUDIODRIVER", "nonexistent");
  TMediaPlayer player;
  player.SetFileName(kChime);
  const std::string error = OpenError(player);
  EXPECT_NE(error.find("nonexistent"), std::string::npos) << error;
  EXPECT_FALSE(player.IsOpen());
  // The next open with a working driver succeeds again.
  UseOutput(QStringLiteral("again.raw"));
  EXPECT_NO_THROW(player.Open());
  player.Close();
}
