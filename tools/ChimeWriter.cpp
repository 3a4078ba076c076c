#include "ChimeWriter.h"

#include <QByteArray>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "FileBytes.h"

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;

// A bell partial: a sine with its own decay.
double Partial(double t, double frequency, double decay) {
  return std::sin(2.0 * std::numbers::pi * frequency * t) * std::exp(-t * decay);
}

}  // namespace

std::vector<int16_t> SynthesizeChime() {
  const int frames = kRate * 3 / 10;
  const double fadeIn = 0.004, fadeOut = 0.06, length = static_cast<double>(frames) / kRate;
  std::vector<int16_t> samples;
  samples.reserve(static_cast<size_t>(frames) * kChannels);
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    // E6 then B6 a tenth of a second later: a bright, rising "found it" interval.
    double note = Partial(t, 1318.5, 9.0) + 0.35 * Partial(t, 2637.0, 16.0);
    const double second = t - 0.1;
    if (second > 0)
      note += 0.9 * std::min(1.0, second / 0.003) *
              (Partial(second, 1975.5, 10.0) + 0.3 * Partial(second, 3951.1, 18.0));
    double envelope = std::min(1.0, t / fadeIn) * std::min(1.0, (length - t) / fadeOut);
    // A raised-cosine ramp at both ends keeps the edges free of clicks.
    envelope = 0.5 - 0.5 * std::cos(std::numbers::pi * std::clamp(envelope, 0.0, 1.0));
    const double value = std::clamp(note * envelope * 0.42, -1.0, 1.0);
    const auto sample = static_cast<int16_t>(std::lround(value * 32767.0));
    samples.push_back(sample);
    samples.push_back(sample);
  }
  return samples;
}

void WriteWav(const std::vector<int16_t>& samples, const QString& path) {
  const qint64 dataBytes = static_cast<qint64>(samples.size()) * 2;
  QByteArray file("RIFF");
  Put32(file, 36 + dataBytes);
  file.append("WAVEfmt ");
  Put32(file, 16);
  Put16(file, 1);  // PCM
  Put16(file, kChannels);
  Put32(file, kRate);
  Put32(file, kRate * kChannels * 2);
  Put16(file, kChannels * 2);
  Put16(file, 16);
  file.append("data");
  Put32(file, dataBytes);
  for (int16_t sample : samples) Put16(file, sample);
  WriteFileBytes(path, file);
}
