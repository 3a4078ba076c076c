// The face-up time of every picture of the real-world corpus, the click timed in the game's own window.
#include "BenchFaceUp.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <map>
#include <tuple>
#include <vector>

#include "CBImage.h"
#include "DecodeAhead.h"
#include "PictureCorpus.h"
#include "Unit1.h"

namespace {

constexpr int kRuns = 3;
constexpr std::size_t kListed = 6;

std::string ShortName(const QString& path) {
  const QFileInfo info(path);
  return (info.dir().dirName() + QLatin1Char('/') + info.fileName()).toStdString();
}

void UsePrepared(TForm1& form, bool on) {
  for (int n = 1; n <= kTileCount; ++n)
    form.Image[static_cast<std::size_t>(n)]->SetPreparedPictures(on ? &form.PreparedPictures() : nullptr);
}

// Turns the pictures face up, up to ten at a time, each over a covered board; the click's time and the
// tile's pixels after it, by file.
void TurnAll(TForm1& form, const QStringList& files, std::map<QString, std::vector<double>>& times,
             std::map<QString, QImage>* surfaces) {
  GameState& s = form.State();
  form.JpegCache().Clear();
  form.PreparedPictures().Clear();
  for (qsizetype first = 0; first < files.size(); first += kPairCount) {
    const qsizetype count = std::min<qsizetype>(kPairCount, files.size() - first);
    for (int p = 1; p <= kPairCount; ++p)
      s.fotos[static_cast<std::size_t>(p)] =
          p <= count ? QFile::encodeName(files[first + p - 1]).toStdString() : std::string();
    for (int n = 1; n <= kTileCount; ++n) s.casillas[static_cast<std::size_t>(n)].acertada = false;
    form.Juego().Borra();
    form.DecodeAhead().WaitUntilIdle();
    QCoreApplication::processEvents();
    for (int p = 1; p <= count; ++p) {
      int tile = 1;
      while (s.casillas[static_cast<std::size_t>(tile)].foto != p) ++tile;
      s.pulsaciones = 0;
      QElapsedTimer clock;
      clock.start();
      try {
        form.ImageClick(tile);
      } catch (const std::exception&) {
        // The game shows the error; the time until then still counts.
      }
      const QString& file = files[first + p - 1];
      times[file].push_back(clock.nsecsElapsed() / 1e6);
      if (surfaces) (*surfaces)[file] = form.Image[static_cast<std::size_t>(tile)]->Surface().copy();
      s.casillas[static_cast<std::size_t>(tile)].destapada = false;
      QCoreApplication::processEvents();
    }
  }
}

TFaceUpSweep Sweep(TForm1& form, const QStringList& files, bool prepared,
                   std::map<QString, QImage>& surfaces) {
  UsePrepared(form, prepared);
  std::map<QString, std::vector<double>> times;
  for (int run = 0; run < kRuns; ++run) TurnAll(form, files, times, run == 0 ? &surfaces : nullptr);
  TFaceUpSweep sweep;
  for (auto& [file, runs] : times) {
    std::sort(runs.begin(), runs.end());
    sweep.slowest.emplace_back(runs[runs.size() / 2], ShortName(file));
  }
  std::sort(sweep.slowest.rbegin(), sweep.slowest.rend());
  sweep.files = static_cast<int>(sweep.slowest.size());
  if (!sweep.slowest.empty()) std::tie(sweep.slowestMs, sweep.slowestFile) = sweep.slowest.front();
  sweep.slowest.resize(std::min<std::size_t>(sweep.slowest.size(), kListed));
  return sweep;
}

void Compare(const std::map<QString, QImage>& prepared, const std::map<QString, QImage>& plain,
             TFaceUpFigures& figures) {
  for (const auto& [file, a] : prepared) {
    const auto found = plain.find(file);
    if (found == plain.end()) continue;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = found->second.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (x.size() != y.size()) {
      ++figures.differing;
      continue;
    }
    int off = 0;
    for (int row = 0; row < x.height(); ++row) {
      const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
      const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
      for (int col = 0; col < x.width(); ++col) {
        if (p[col] == q[col]) continue;
        ++off;
        const int d =
            std::max({std::abs(qRed(p[col]) - qRed(q[col])), std::abs(qGreen(p[col]) - qGreen(q[col])),
                      std::abs(qBlue(p[col]) - qBlue(q[col])), std::abs(qAlpha(p[col]) - qAlpha(q[col]))});
        if (d > figures.worstChannel) {
          figures.worstChannel = d;
          figures.worstFile = ShortName(file);
        }
      }
    }
    figures.pixelsOff += off;
    ++(off == 0 ? figures.identical : figures.differing);
  }
}

}  // namespace

TFaceUpFigures MeasureFaceUps(TForm1& form) {
  TFaceUpFigures figures;
  const QStringList files = PictureCorpusFiles({"jpeg", "bmp", "ico", "wmf", "emf"});
  if (files.isEmpty()) return figures;
  figures.corpusFound = true;
  std::map<QString, QImage> preparedSurfaces, plainSurfaces;
  figures.plain = Sweep(form, files, false, plainSurfaces);
  figures.prepared = Sweep(form, files, true, preparedSurfaces);
  Compare(preparedSurfaces, plainSurfaces, figures);
  return figures;
}

void PrintFaceUps(const TFaceUpFigures& figures) {
  if (!figures.corpusFound) {
    std::printf("\nslowest face-up: no picture corpus (ZUM_PICTURE_CORPUS or ../shared/pictures), skipped\n");
    return;
  }
  std::printf("\nslowest face-up (load + first paint at tile size): %.1f ms, %s\n",
              figures.prepared.slowestMs, figures.prepared.slowestFile.c_str());
  std::printf("  read, parsed and drawn at the click instead: %.1f ms, %s (%d files, medians of %d runs)\n",
              figures.plain.slowestMs, figures.plain.slowestFile.c_str(), figures.prepared.files, kRuns);
  std::printf(
      "  tile pixels, prepared against drawn at the click: %d faces identical, %d differ (%d pixels, "
      "at most %d per channel%s%s)\n",
      figures.identical, figures.differing, figures.pixelsOff, figures.worstChannel,
      figures.worstFile.empty() ? "" : ", ", figures.worstFile.c_str());
  for (const auto& [name, sweep] :
       {std::pair{"prepared", &figures.prepared}, std::pair{"at the click", &figures.plain}}) {
    std::printf("  slowest faces, %s:", name);
    for (const auto& [ms, file] : sweep->slowest) std::printf(" %.1f ms %s;", ms, file.c_str());
    std::printf("\n");
  }
}
