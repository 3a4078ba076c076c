#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "CBImage.h"
#include "bitmap/RasterGraphic.h"
#include "jpeg/JpegDecoder.h"

// Replays the generated bad-input corpus (tools/corpus) through real tiles, as the game loads faces.
namespace {
namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(ZUM_CORPUS_DIR);

std::vector<fs::path> FilesUnder(const fs::path& folder) {
  std::vector<fs::path> files;
  if (!fs::is_directory(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

QString QtName(const fs::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

// What one load and paint of a file did.
struct TReplay {
  bool empty = true;
  std::string escaped;  // an exception LoadImage must not let out, by its message
  qint64 nanoseconds = 0;
};

// Two tiles of the board: one at natural size with the default JPEG options, one stretched and
// centred in a frame that decodes JPEGs at half size, 8-bit, fast and progressively.
class BadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    board_.resize(300, 200);
    plain_ = new TCBImage(&board_);
    plain_->setGeometry(5, 5, 95, 95);
    fitted_ = new TCBImage(&board_);
    fitted_->setGeometry(105, 5, 95, 95);
    fitted_->SetStretchRatio(true);
    fitted_->SetCenterView(true);
    fitted_->SetShowFrame3D(true);
    fitted_->SetCaption(QStringLiteral("cara"));
    fitted_->SetJPEGPixelFormat(TJPEGPixelFormat::jf8Bit);
    fitted_->SetJPEGScale(TJPEGScale::jsHalf);
    fitted_->SetJPEGPerformance(TJPEGPerformance::jpBestSpeed);
    fitted_->SetJPEGProgressiveDisplay(true);
    board_.show();
  }

  // Loads into both tiles and has each painted by the platform.
  TReplay Replay(const fs::path& path) {
    TReplay replay;
    QElapsedTimer timer;
    timer.start();
    for (TCBImage* tile : {plain_, fitted_}) {
      try {
        tile->LoadImage(QtName(path));
      } catch (const EJPEG&) {
        // The decoding error LoadImage lets out; its handler shows it and the game goes on.
      } catch (const EFOpenError&) {
      } catch (const std::exception& error) {
        replay.escaped = error.what();
      }
      const QImage painted = tile->grab().toImage();
      EXPECT_EQ(painted.size(), QSize(95, 95)) << path;
      const long long pixels = static_cast<long long>(tile->Picture().Width()) * tile->Picture().Height();
      EXPECT_LE(pixels, TRasterGraphic::kMaxPixels) << path;
      replay.empty = replay.empty && tile->Picture().Width() == 0;
    }
    replay.nanoseconds = timer.nsecsElapsed();
    return replay;
  }

  // Replays every file of a folder and reports the slowest. Time is not asserted here, where a
  // loaded machine would make it flaky; the fuzzers hold every input to a second.
  void ReplayAll(const fs::path& folder, bool mustEndEmpty) {
    const std::vector<fs::path> files = FilesUnder(folder);
    ASSERT_FALSE(files.empty()) << folder;
    qint64 slowest = 0;
    fs::path slowestFile;
    for (const fs::path& file : files) {
      // A valid picture first, so that a tile left showing it afterwards is caught.
      plain_->LoadImage(QtName(kCorpus / "seeds/valid/bottom-up-24.bmp"));
      fitted_->LoadImage(QtName(kCorpus / "seeds/valid/bottom-up-24.bmp"));
      const TReplay replay = Replay(file);
      EXPECT_EQ(replay.escaped, "") << file;
      if (mustEndEmpty) {
        EXPECT_TRUE(replay.empty) << file << " left a picture on the tile";
      }
      if (replay.nanoseconds > slowest) {
        slowest = replay.nanoseconds;
        slowestFile = file;
      }
    }
    RecordProperty("slowest_ms", static_cast<int>(slowest / 1'000'000));
    std::printf("%zu files of %s, slowest %.1f ms (%s)\n", files.size(), folder.c_str(), slowest / 1e6,
                slowestFile.filename().c_str());
  }

  QWidget board_;
  TCBImage* plain_ = nullptr;
  TCBImage* fitted_ = nullptr;
};

TEST_F(BadInput, CorpusHasAtLeastFiveHundredFilesOfEveryKind) {
  const std::vector<fs::path> files = FilesUnder(kCorpus / "bad");
  EXPECT_GE(files.size(), 500u);
  for (const char* extension : {".jpg", ".bmp", ".ico", ".wmf", ".emf"}) {
    const auto count = std::count_if(files.begin(), files.end(), [&](const fs::path& f) {
      return f.extension() == extension && f.parent_path().filename() == "damaged";
    });
    EXPECT_GE(count, 40) << extension;
  }
  EXPECT_GE(FilesUnder(kCorpus / "bad/reject").size(), 50u);
}

TEST_F(BadInput, LyingFilesLeaveTheTileEmpty) {
  ReplayAll(kCorpus / "bad/reject", true);
}

TEST_F(BadInput, DamagedFilesNeitherCrashNorHangNorLetOtherErrorsOut) {
  ReplayAll(kCorpus / "bad/damaged", false);
}

TEST_F(BadInput, OddNamesNeitherCrashNorLetOtherErrorsOut) {
  ReplayAll(kCorpus / "bad/names", false);
}

TEST_F(BadInput, ValidPicturesUnderOddNamesStillShow) {
  for (const char* name : {"with spaces in it.jpg", " leading and trailing space .bmp", "-leading-dash.jpg",
                           "--help.ico", "-.wmf", "UPPER CASE.JPEG"}) {
    plain_->LoadImage(QtName(kCorpus / "bad/names" / name));
    EXPECT_GT(plain_->Picture().Width(), 0) << name;
  }
  // Not a JPEG whatever its name says, and no extension at all: empty, without an error.
  for (const char* name : {"emf named.jpg", "no extension", "trailing dot.jpg."}) {
    plain_->LoadImage(QtName(kCorpus / "bad/names" / name));
    EXPECT_EQ(plain_->Picture().Width(), 0) << name;
  }
}

// Every valid seed is a picture the tile shows, at its upright size where Exif turns it.
TEST_F(BadInput, EveryValidSeedShows) {
  const std::vector<fs::path> seeds = FilesUnder(kCorpus / "seeds/valid");
  ASSERT_GE(seeds.size(), 60u);
  for (const fs::path& seed : seeds) {
    EXPECT_NO_THROW(plain_->LoadImage(QtName(seed))) << seed;
    EXPECT_GT(plain_->Picture().Width(), 0) << seed;
  }
  for (int orientation = 1; orientation <= 8; ++orientation) {
    plain_->LoadImage(QtName(kCorpus / ("seeds/valid/exif-" + std::to_string(orientation) + ".jpg")));
    const QSize expected = orientation >= 5 ? QSize(17, 33) : QSize(33, 17);
    EXPECT_EQ(QSize(plain_->Picture().Width(), plain_->Picture().Height()), expected) << orientation;
  }
  for (const char* name : {"exif-motorola-8.jpg", "exif-after-xmp-6.jpg", "cmyk-adobe-exif-6.jpg"}) {
    plain_->LoadImage(QtName(kCorpus / "seeds/valid" / name));
    EXPECT_GT(plain_->Picture().Height(), plain_->Picture().Width()) << name;
  }
}

// The variants the decoders grew for real files stay in the corpus the tiles replay.
TEST_F(BadInput, CorpusCoversExifInkAndTheRarerBitmaps) {
  const std::vector<fs::path> files = FilesUnder(kCorpus / "bad");
  for (const char* stem :
       {"exif-lie-", "exif-6-cut-", "cmyk-adobe-", "ycck-adobe-progressive-", "os2v1-", "os2v2-rle24-",
        "depth-64-", "png-pixels-", "jpeg-pixels-", "rle4-", "rle8-top-down-", "bitfields-", "short-palette-",
        "png-entry-", "mixed-entries-", "and-mask-"}) {
    const auto count = std::count_if(files.begin(), files.end(), [&](const fs::path& f) {
      return f.filename().string().rfind(stem, 0) == 0;
    });
    EXPECT_GE(count, 3) << stem;
  }
}

// A broken or lying Exif block is ignored: the photo shows as stored, never refused.
TEST_F(BadInput, LyingExifBlocksLeaveThePhotoAsStored) {
  int lies = 0;
  for (const fs::path& file : FilesUnder(kCorpus / "bad/damaged")) {
    if (file.filename().string().rfind("exif-lie-", 0) != 0) continue;
    ++lies;
    EXPECT_NO_THROW(plain_->LoadImage(QtName(file))) << file;
    EXPECT_EQ(QSize(plain_->Picture().Width(), plain_->Picture().Height()), QSize(33, 17)) << file;
  }
  EXPECT_GE(lies, 15);
  // Of two Exif blocks the first decides.
  plain_->LoadImage(QtName(kCorpus / "bad/damaged/exif-first-of-two-8.jpg"));
  EXPECT_EQ(QSize(plain_->Picture().Width(), plain_->Picture().Height()), QSize(17, 33));
}

TEST_F(BadInput, TheTileStillShowsPicturesAfterTheWholeCorpus) {
  for (const fs::path& file : FilesUnder(kCorpus / "bad")) Replay(file);
  plain_->LoadImage(QtName(kCorpus / "seeds/valid/bottom-up-24.bmp"));
  ASSERT_EQ(plain_->Picture().Width(), 24);
  const QImage painted = plain_->grab().toImage();
  // The seed's pattern: red x * 255 / 24, green y * 255 / 16, blue (x ^ y) * 16.
  EXPECT_EQ(painted.pixel(5, 3) & 0xFFFFFF, qRgb(53, 47, 96) & 0xFFFFFF);
  EXPECT_EQ(painted.pixel(23, 15) & 0xFFFFFF, qRgb(244, 239, 128) & 0xFFFFFF);
}

}  // namespace
