#include "BenchPhotos.h"

#include <benchmark/benchmark.h>

#include "DrawArea.h"
#include "Graphic.h"
#include "jpeg/JpegCache.h"
#include "jpeg/JpegDctScale.h"
#include "jpeg/JpegDecoder.h"

namespace {

const TDrawArea kTileArea{true, 95, 95, 1};

void DecodeForTile(benchmark::State& state, const QString& path) {
  QSize decoded;
  for (auto _ : state) {
    // A fresh cache each time, so that every iteration decodes as the worker ahead of a deal does.
    TJpegCache cache;
    const auto picture = cache.Acquire(path, TJpegDecodeOptions{}, kTileArea);
    if (!picture) {
      state.SkipWithError("the photo does not decode");
      return;
    }
    decoded = picture->pixels.size();
  }
  state.counters["decoded_width"] = decoded.width();
  state.counters["decoded_height"] = decoded.height();
}

// What a decoder that turns before it reduces would do: every pixel of the photo decoded and turned.
void TurnAtFullSize(benchmark::State& state, const QString& path) {
  const QByteArray bytes = ReadPictureFile(path);
  QSize decoded;
  for (auto _ : state) {
    const TJpegHeader header = ReadJpegHeader(bytes);
    const QImage full = DecodeJpeg(bytes, TJpegDecodeOptions{});
    const QImage drawn =
        full.scaled(DrawnPixels(header, kTileArea), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    benchmark::DoNotOptimize(drawn.constBits());
    decoded = full.size();
  }
  state.counters["decoded_width"] = decoded.width();
  state.counters["decoded_height"] = decoded.height();
}

}  // namespace

void RegisterPhotoBenchmarks(const TBenchMedia& media) {
  benchmark::RegisterBenchmark("TileDecode/upright",
                               [path = media.photo](benchmark::State& state) { DecodeForTile(state, path); })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(5)
      ->Repetitions(3)
      ->ReportAggregatesOnly(true);
  benchmark::RegisterBenchmark(
      "TileDecode/exif-turned",
      [path = media.turnedPhoto](benchmark::State& state) { DecodeForTile(state, path); })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(5)
      ->Repetitions(3)
      ->ReportAggregatesOnly(true);
  benchmark::RegisterBenchmark(
      "TileDecode/turned-at-full-size",
      [path = media.turnedPhoto](benchmark::State& state) { TurnAtFullSize(state, path); })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1)
      ->Repetitions(3)
      ->ReportAggregatesOnly(true);
}
