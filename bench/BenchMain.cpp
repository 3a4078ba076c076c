#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Application.h"
#include "BenchFaceUp.h"
#include "BenchGame.h"
#include "BenchMedia.h"
#include "BenchPhotos.h"
#include "CBImage.h"
#include "DecodeAhead.h"
#include "Forms.h"
#include "LcdDisplay.h"
#include "jpeg/JpegCache.h"

namespace {
// Keeps the medians of the repeated benchmarks, in milliseconds, for the table.
class TTableReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.aggregate_name != "median") continue;
      const double toMs = 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
      medians[run.run_name.function_name] = run.GetAdjustedRealTime() * toMs;
      for (const auto& [name, counter] : run.counters)
        counters[run.run_name.function_name + "." + name] = counter;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> medians;
  std::map<std::string, double> counters;
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Counts the widgets that receive a paint event while one countdown tick is handled.
class TPaintCounter : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted.insert(watched);
    return false;
  }
  std::set<QObject*> painted;
};

// True when a tick repaints the three counters and nothing else.
bool TickRepaintsOnlyTheDisplays(TForm1& form) {
  QCoreApplication::processEvents();
  TPaintCounter counter;
  qApp->installEventFilter(&counter);
  form.Timer1Timer();
  QCoreApplication::processEvents();
  qApp->removeEventFilter(&counter);
  const std::set<QObject*> displays{form.marcadorpuntos, form.marcadortiempo, form.marcadornivel};
  return counter.painted == displays;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// The program itself, offscreen, from launch to its first painted main window.
double StartUpMs() {
  std::vector<double> times;
  for (int i = 0; i < 7; ++i) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(QStringLiteral("ZUM_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(ZUM_EXE), {});
    if (!process.waitForFinished(30000)) return -1;
    times.push_back(clock.nsecsElapsed() / 1e6);
  }
  return Median(times);
}

// A ten-level game in a fresh process, so that nothing else sits in its peak memory; the median of
// a few runs, as the worker threads' timing moves the peak by some megabytes.
double GamePeakRssMb(const char* mode, int runs) {
  std::vector<double> peaks;
  for (int i = 0; i < runs; ++i) {
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--rss-game"), QString::fromLatin1(mode)});
    if (!process.waitForFinished(600000)) return -1;
    peaks.push_back(QString::fromLatin1(process.readAllStandardOutput()).trimmed().toDouble());
  }
  return Median(peaks);
}

int RunGame(int argc, char** argv, bool cached) {
  TApplication app(argc, argv);
  const TBenchMedia media = PrepareBenchMedia();
  TForms forms(media.programFolder);
  TForm1& form = *forms.Form1;
  form.show();
  UseCache(form, cached);
  StartGame(form);
  for (int level = 1; level <= 10; ++level) {
    // A player looks at the new board for a moment before the first click.
    form.DecodeAhead().WaitUntilIdle();
    FinishLevel(form);
  }
  std::printf("%.1f\n", PeakRssMb());
  return 0;
}

void RegisterBenchmarks(TForm1& form) {
  for (const bool cached : {false, true}) {
    const std::string mode = cached ? "cached" : "literal";
    benchmark::RegisterBenchmark(("Borra/" + mode).c_str(),
                                 [&form, cached](benchmark::State& state) {
                                   UseCache(form, cached);
                                   form.Juego().Borra();
                                   for (auto _ : state) form.Juego().Borra();
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(cached ? 200 : 3)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);

    benchmark::RegisterBenchmark(("FirstFaceUp/" + mode).c_str(),
                                 [&form, cached](benchmark::State& state) {
                                   UseCache(form, cached);
                                   for (auto _ : state) {
                                     state.PauseTiming();
                                     form.Juego().NuevoNivel();
                                     form.DecodeAhead().WaitUntilIdle();
                                     form.State().pulsaciones = 0;
                                     QCoreApplication::processEvents();
                                     state.ResumeTiming();
                                     form.ImageClick(1);
                                     QCoreApplication::processEvents();
                                   }
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(cached ? 10 : 2)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);

    benchmark::RegisterBenchmark(("Deal/" + mode).c_str(),
                                 [&form, cached](benchmark::State& state) {
                                   UseCache(form, cached);
                                   for (auto _ : state) {
                                     form.Juego().NuevoNivel();
                                     QCoreApplication::processEvents();
                                     state.PauseTiming();
                                     form.DecodeAhead().WaitUntilIdle();
                                     state.ResumeTiming();
                                   }
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(cached ? 10 : 2)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);

    benchmark::RegisterBenchmark(("Tick/" + mode).c_str(),
                                 [&form, cached](benchmark::State& state) {
                                   UseCache(form, cached);
                                   form.State().tiempo = 1000000;
                                   for (auto _ : state) {
                                     form.Timer1Timer();
                                     QCoreApplication::processEvents();
                                   }
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
  }

  // From the deal until all ten pictures are decoded ahead (from an empty cache), with the longest
  // wait of a 1 ms timer on the GUI thread meanwhile.
  benchmark::RegisterBenchmark("DecodeAhead/cached",
                               [&form](benchmark::State& state) {
                                 UseCache(form, true);
                                 double maxWait = 0;
                                 for (auto _ : state) {
                                   state.PauseTiming();
                                   form.JpegCache().Clear();
                                   state.ResumeTiming();
                                   QElapsedTimer clock;
                                   clock.start();
                                   form.Juego().NuevoNivel();
                                   QEventLoop loop;
                                   QTimer timer;
                                   timer.setTimerType(Qt::PreciseTimer);
                                   qint64 last = clock.nsecsElapsed();
                                   QObject::connect(&timer, &QTimer::timeout, [&] {
                                     const qint64 now = clock.nsecsElapsed();
                                     maxWait = std::max(maxWait, (now - last) / 1e6);
                                     last = now;
                                     if (form.DecodeAhead().Idle()) loop.quit();
                                   });
                                   timer.start(1);
                                   loop.exec();
                                 }
                                 state.counters["max_event_wait_ms"] = maxWait;
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(5)
      ->Repetitions(3)
      ->ReportAggregatesOnly(true);
}

const char* Met(bool met) {
  return met ? "yes" : "NO";
}
}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--rss-game") == 0)
    return RunGame(argc, argv, std::strcmp(argv[2], "cached") == 0);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("SDL_AUDIODRIVER", "dummy");
  TApplication app(argc, argv);
  const TBenchMedia media = PrepareBenchMedia();
  TForms forms(media.programFolder);
  TForm1& form = *forms.Form1;
  form.show();
  StartGame(form);
  if (argc == 2 && std::strcmp(argv[1], "--face-ups") == 0) {
    PrintFaceUps(MeasureFaceUps(form));
    return 0;
  }

  benchmark::Initialize(&argc, argv);
  RegisterBenchmarks(form);
  RegisterPhotoBenchmarks(media);
  TTableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const TFaceUpFigures faceUps = MeasureFaceUps(form);
  form.Juego().NuevoNivel();

  // The idle game: the countdown ticking and nothing else, for three seconds.
  form.State().tiempo = 1000000;
  form.DecodeAhead().WaitUntilIdle();
  form.Timer1->start();
  const double cpuBefore = CpuSeconds();
  QEventLoop idle;
  QTimer::singleShot(3000, &idle, &QEventLoop::quit);
  idle.exec();
  const double idlePercent = (CpuSeconds() - cpuBefore) / 3.0 * 100;
  form.Timer1->stop();

  form.State().tiempo = 1000000;
  const bool tickPaintsDisplaysOnly = TickRepaintsOnlyTheDisplays(form);
  const double startUp = StartUpMs();
  const double rssLiteral = GamePeakRssMb("literal", 1);
  const double rssCached = GamePeakRssMb("cached", 5);

  auto& m = reporter.medians;
  const double borraL = m["Borra/literal"], borraC = m["Borra/cached"];
  const double faceL = m["FirstFaceUp/literal"], faceC = m["FirstFaceUp/cached"];
  const double dealL = m["Deal/literal"], dealC = m["Deal/cached"];
  const double tickL = m["Tick/literal"], tickC = m["Tick/cached"];
  const double ahead = m["DecodeAhead/cached"];
  const double maxWait = reporter.counters["DecodeAhead/cached.max_event_wait_ms"];
  const double upright = m["TileDecode/upright"], turned = m["TileDecode/exif-turned"];
  const double turnedFull = m["TileDecode/turned-at-full-size"];
  const double turnedWidth = reporter.counters["TileDecode/exif-turned.decoded_width"];
  const double turnedHeight = reporter.counters["TileDecode/exif-turned.decoded_height"];

  std::printf("\n%-44s %12s %12s %9s  %-28s %s\n", "figure (median)", "literal", "optimised", "ratio",
              "target", "met?");
  auto row = [](const char* name, double literal, double value, const char* unit, const char* target,
                bool met) {
    char l[32], v[32], r[32];
    std::snprintf(l, sizeof l, literal < 0 ? "-" : "%.3f %s", literal, unit);
    std::snprintf(v, sizeof v, "%.3f %s", value, unit);
    std::snprintf(r, sizeof r, literal <= 0 || value <= 0 ? "-" : "%.1fx", literal / value);
    std::printf("%-44s %12s %12s %9s  %-28s %s\n", name, l, v, r, target, Met(met));
  };
  row("covering the board (Borra, 20 tiles)", borraL, borraC, "ms", "<= 1 ms and >= 50x",
      borraC <= 1 && borraL / borraC >= 50);
  row("first face-up of a 12-MP photo, to paint", faceL, faceC, "ms", "<= 16 ms", faceC <= 16);
  row("dealing a level until painted", dealL, dealC, "ms", "no event waits > 50 ms", dealC <= 50);
  row("ten pictures decoded ahead after the deal", -1, ahead, "ms", "<= 300 ms", ahead <= 300);
  row("longest event wait while decoding ahead", faceL, maxWait, "ms", "<= 50 ms", maxWait <= 50);
  row("12-MP photo decoded for a tile", -1, upright, "ms", "(the turned photo's yardstick)", upright > 0);
  char turnedTarget[64];
  std::snprintf(turnedTarget, sizeof turnedTarget, "<= 1.2x upright, %.0f x %.0f", turnedWidth, turnedHeight);
  // Reduced and upright: 1/8 of 3000 x 4000, not the photo's full size.
  const bool turnedSmall = turnedWidth > 0 && turnedWidth < turnedHeight && turnedHeight <= 500;
  row("12-MP EXIF-turned photo decoded for a tile", turnedFull, turned, "ms", turnedTarget,
      turned > 0 && turned <= 1.2 * upright && turnedSmall);
  row("countdown tick (three displays)", tickL, tickC, "ms", "only the displays repaint",
      tickPaintsDisplaysOnly);
  row("idle game CPU", -1, idlePercent, "%", "< 1 % of a core", idlePercent < 1);
  row("start-up to first painted window", -1, startUp, "ms", "<= 300 ms", startUp > 0 && startUp <= 300);
  row("peak RSS, ten-level game, 12-MP photos", rssLiteral, rssCached, "MB", "<= 150 MB",
      rssCached > 0 && rssCached <= 150);
  if (faceUps.corpusFound)
    row("slowest face-up of the picture corpus", faceUps.plain.slowestMs, faceUps.prepared.slowestMs, "ms",
        "<= 16 ms", faceUps.prepared.slowestMs <= 16);
  PrintFaceUps(faceUps);
  return 0;
}
