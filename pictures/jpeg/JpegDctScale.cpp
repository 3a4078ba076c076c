// Choosing a reduced DCT scale and the drawn pixel size from a JPEG's header and a tile's draw area.
#include "jpeg/JpegDctScale.h"

#include <algorithm>
#include <cmath>

#include "PictureFit.h"

namespace {
QSize Fitted(const TJpegHeader& header, const TDrawArea& area) {
  const TRect fit = FitPictureRect(area.width, area.height, header.imageWidth, header.imageHeight);
  return {std::max(0, fit.Width()), std::max(0, fit.Height())};
}
}  // namespace

TJPEGScale ReducedScale(const TJpegHeader& header, TJPEGScale requested, const TDrawArea& area) {
  if (!area.reduce || requested != TJPEGScale::jsFullSize) return requested;
  const QSize fitted = Fitted(header, area);
  const int needWidth = static_cast<int>(std::ceil(fitted.width() * area.ratio));
  const int needHeight = static_cast<int>(std::ceil(fitted.height() * area.ratio));
  for (const TJPEGScale scale : {TJPEGScale::jsEighth, TJPEGScale::jsQuarter, TJPEGScale::jsHalf}) {
    const QSize out = header.outputSizes[static_cast<std::size_t>(scale)];
    if (out.width() >= needWidth && out.height() >= needHeight) return scale;
  }
  return TJPEGScale::jsFullSize;
}

QSize DrawnPixels(const TJpegHeader& header, const TDrawArea& area) {
  if (!area.reduce) return {};
  const QSize fitted = Fitted(header, area);
  return {qRound(fitted.width() * area.ratio), qRound(fitted.height() * area.ratio)};
}
