// The draw time of every WMF and EMF of the real-world picture corpus at tile sizes, as a tile
// repaint draws it: the picture loaded once, then drawn into a tile-sized surface again and again.
// The corpus is read where it lies (ZUM_PICTURE_CORPUS, else ../shared/pictures beside the
// sources); without it the benchmark says so and passes.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "Picture.h"
#include "PictureCorpus.h"
#include "PictureFit.h"

namespace {

constexpr int kDraws = 15;
constexpr double kMedianTargetMs = 2;
constexpr double kEveryFileTargetMs = 16;

struct TFileTimes {
  std::string name;
  int side = 0;
  double medianMs = 0;
  double maxMs = 0;
  double firstMs = 0;  // the first draw at this size, before the picture's caches hold its outlines
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Draw times of one picture fitted into a side x side tile; the first one, which fills the picture's
// caches, comes first and is left out of the median.
std::vector<double> DrawTimes(TGraphic& graphic, int side) {
  QImage surface(side, side, QImage::Format_ARGB32_Premultiplied);
  const TRect fit = FitPictureRect(side, side, graphic.Width(), graphic.Height());
  const QRect target(fit.Left, fit.Top, fit.Width(), fit.Height());
  std::vector<double> times;
  for (int i = 0; i <= kDraws; ++i) {
    surface.fill(Qt::white);
    QElapsedTimer clock;
    clock.start();
    QPainter painter(&surface);
    try {
      graphic.Draw(painter, target);
    } catch (const std::exception&) {
      // A tile leaves out a picture that cannot draw; its time still counts.
    }
    painter.end();
    times.push_back(clock.nsecsElapsed() / 1e6);
  }
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString corpus = PictureCorpusFolder();
  const QStringList files = PictureCorpusFiles({"wmf", "emf"});
  if (files.isEmpty()) {
    std::printf("metafile draw times: no WMF/EMF under %s, skipped\n", qPrintable(corpus));
    return 0;
  }
  std::vector<TFileTimes> results;
  int refused = 0;
  std::printf("%-56s %6s %10s %10s %10s\n", "metafile draw time", "tile", "median ms", "max ms", "first ms");
  for (const QString& path : files) {
    TPicture picture;
    try {
      picture.LoadFromFile(path);
    } catch (const std::exception&) {
      ++refused;  // the tile stays empty: nothing is drawn at repaint
      continue;
    }
    if (picture.Graphic() == nullptr || picture.Width() <= 0 || picture.Height() <= 0) continue;
    const std::string name =
        QFileInfo(path).dir().dirName().toStdString() + "/" + QFileInfo(path).fileName().toStdString();
    for (const int side : {100, 256}) {
      const std::vector<double> all = DrawTimes(*picture.Graphic(), side);
      const std::vector<double> times(all.begin() + 1, all.end());
      const TFileTimes row{name, side, Median(times), *std::max_element(times.begin(), times.end()),
                           all.front()};
      results.push_back(row);
      std::printf("%-56s %6d %10.3f %10.3f %10.3f\n", row.name.c_str(), side, row.medianMs, row.maxMs,
                  row.firstMs);
    }
  }
  std::printf("\n%-44s %10s %10s %10s  %s\n", "metafile draws at tile size", "median", "slowest", "files",
              "target met?");
  bool met = true;
  for (const int side : {100, 256}) {
    std::vector<double> medians;
    const TFileTimes* slowest = nullptr;
    for (const TFileTimes& row : results) {
      if (row.side != side) continue;
      medians.push_back(row.medianMs);
      if (slowest == nullptr || row.medianMs > slowest->medianMs) slowest = &row;
    }
    const double median = Median(medians);
    const double worst = slowest ? slowest->medianMs : 0;
    const bool sideMet = median < kMedianTargetMs && worst < kEveryFileTargetMs;
    met = met && sideMet;
    char label[64];
    std::snprintf(label, sizeof label, "%d x %d (median < %.0f ms, each < %.0f ms)", side, side,
                  kMedianTargetMs, kEveryFileTargetMs);
    std::printf("%-44s %7.3f ms %7.3f ms %10zu  %s%s%s\n", label, median, worst, medians.size(),
                sideMet ? "yes" : "NO", slowest ? "  slowest: " : "", slowest ? slowest->name.c_str() : "");
  }
  const auto slowestFirst = std::max_element(
      results.begin(), results.end(), [](const auto& a, const auto& b) { return a.firstMs < b.firstMs; });
  if (slowestFirst != results.end())
    std::printf("slowest first draw (caches empty): %.3f ms, %s at %d x %d\n", slowestFirst->firstMs,
                slowestFirst->name.c_str(), slowestFirst->side, slowestFirst->side);
  std::printf("%d metafiles refused at load (nothing to draw); targets met: %s\n", refused,
              met ? "yes" : "NO");
  return 0;
}
