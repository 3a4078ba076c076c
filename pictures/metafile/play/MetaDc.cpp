// The mapping of a device context's logical space onto picture space, and GDI's scaling of extents.
#include "metafile/play/MetaDc.h"

#include <uemf.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

double Ratio(std::int64_t num, std::int64_t denom) {
  return static_cast<double>(num) / static_cast<double>(denom);
}

}  // namespace

QTransform MetaDcTransform(const TMetaDc& dc, double unitsPerMmX, double unitsPerMmY) {
  double sx = 1.0, sy = 1.0;
  switch (dc.mapMode) {
    case U_MM_ANISOTROPIC:
      sx = Ratio(dc.viewportExtX, dc.windowExtX);
      sy = Ratio(dc.viewportExtY, dc.windowExtY);
      break;
    case U_MM_ISOTROPIC: {
      // GDI shrinks one viewport extent so that both axes get the same scale, keeping their signs.
      const double ax = Ratio(dc.viewportExtX, dc.windowExtX), ay = Ratio(dc.viewportExtY, dc.windowExtY);
      const double s = std::min(std::abs(ax), std::abs(ay));
      sx = std::copysign(s, ax);
      sy = std::copysign(s, ay);
      break;
    }
    case U_MM_LOMETRIC:
      sx = 0.1 * unitsPerMmX, sy = -0.1 * unitsPerMmY;
      break;
    case U_MM_HIMETRIC:
      sx = 0.01 * unitsPerMmX, sy = -0.01 * unitsPerMmY;
      break;
    case U_MM_LOENGLISH:
      sx = 0.254 * unitsPerMmX, sy = -0.254 * unitsPerMmY;
      break;
    case U_MM_HIENGLISH:
      sx = 0.0254 * unitsPerMmX, sy = -0.0254 * unitsPerMmY;
      break;
    case U_MM_TWIPS:
      sx = 25.4 / 1440.0 * unitsPerMmX, sy = -25.4 / 1440.0 * unitsPerMmY;
      break;
    default:
      break;  // MM_TEXT: one logical unit per picture unit
  }
  const double dx = static_cast<double>(dc.viewportOrgX) - static_cast<double>(dc.windowOrgX) * sx;
  const double dy = static_cast<double>(dc.viewportOrgY) - static_cast<double>(dc.windowOrgY) * sy;
  return dc.world * QTransform(sx, 0.0, 0.0, sy, dx, dy);
}

bool ScaleMetaExtent(std::int64_t& ext, std::int64_t num, std::int64_t denom) {
  if (denom == 0) return false;
  const std::int64_t scaled = ext * num / denom;
  if (scaled == 0 || scaled > std::numeric_limits<std::int32_t>::max() ||
      scaled < std::numeric_limits<std::int32_t>::min())
    return false;
  ext = scaled;
  return true;
}
