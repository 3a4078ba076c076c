#include "TileDrawArea.h"

#include <QFontMetrics>
#include <QGuiApplication>

#include "CBImage.h"
#include "TileGeometry.h"

TDrawArea TileDrawArea(const TCBImage& tile) {
  TDrawArea area;
  area.reduce = tile.StretchRatio() && tile.JPEGScale() == TJPEGScale::jsFullSize;
  if (!area.reduce) return area;
  TRect free{0, 0, tile.width(), tile.height()};
  if (tile.ShowFrame3D()) free = InsetRect(tile.width(), tile.height(), tile.BevelWidth());
  // The same font the paint operation measures the caption with.
  if (!tile.Caption().isEmpty())
    free.Bottom =
        ClampToInt(static_cast<long long>(free.Bottom) - QFontMetrics(QGuiApplication::font()).height());
  area.width = ClampToInt(static_cast<long long>(free.Right) - free.Left);
  area.height = ClampToInt(static_cast<long long>(free.Bottom) - free.Top);
  area.ratio = tile.devicePixelRatioF();
  return area;
}
