#pragma once

#include <QString>
#include <cstdint>
#include <vector>

// The match sound: a short two-note bell, stereo 16-bit PCM at 44100 Hz, faded in and out so it
// starts and ends on silence. Returns interleaved left/right samples.
std::vector<int16_t> SynthesizeChime();

// Writes samples (interleaved stereo, 44100 Hz) as a PCM WAV file; throws std::runtime_error on failure.
void WriteWav(const std::vector<int16_t>& samples, const QString& path);
