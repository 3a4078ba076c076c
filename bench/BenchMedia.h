#pragma once

#include <QString>

// A program folder whose f holds a 1920 x 1080 "base.jpg", "ok.wav" and a pool of seventy
// 4000 x 3000 photo-like JPEGs (quality 90). Generated once and kept between runs.
struct TBenchMedia {
  QString programFolder;
  QString photo;  // one of the 12-megapixel photos
};

TBenchMedia PrepareBenchMedia();
