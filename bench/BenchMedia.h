#pragma once

#include <QString>

// A program folder whose f holds a 1920 x 1080 "base.jpg", "ok.wav" and a pool of seventy
// 4000 x 3000 photo-like JPEGs (quality 90). Generated once and kept between runs. Beside them, one
// of the photos as a camera held upright stores it: the same pixels with EXIF orientation 6.
struct TBenchMedia {
  QString programFolder;
  QString photo;        // one of the 12-megapixel photos
  QString turnedPhoto;  // the same, stored lying on its side with orientation 6 (upright 3000 x 4000)
};

TBenchMedia PrepareBenchMedia();
