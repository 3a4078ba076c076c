// The colour of a gradient's vertex.
#include "metafile/model/MetaGradient.h"

QColor GradientColour(std::uint16_t red, std::uint16_t green, std::uint16_t blue) {
  return QColor(red >> 8, green >> 8, blue >> 8);
}
