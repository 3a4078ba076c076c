// EMF+ image objects: a bitmap of pixels or of a compressed file (PNG, JPEG, BMP, GIF, ...), or a
// nested WMF or EMF, which the reader handed in reads.
#pragma once

#include <QImage>
#include <cstdint>
#include <memory>
#include <optional>

#include "metafile/emfplus/EmfPlusNestedMetafile.h"

class TMetaBytes;
struct TEmfPlusBudget;

struct TEmfPlusImage {
  // Reads an image object; nullopt when it holds nothing that can be drawn. Bitmaps are decoded within
  // the budget; metafiles are read with readMetafile, and not at all without one.
  static std::optional<TEmfPlusImage> Read(const TMetaBytes& bytes, TEmfPlusBudget& budget,
                                           const TEmfPlusMetafileReader& readMetafile);

  // The decoded bitmap, or a metafile.
  QImage bitmap;
  std::shared_ptr<const TEmfPlusNestedMetafile> metafile;
};

// Reads the image object at at as a bitmap, as texture brushes hold one: null for anything else or for
// a bitmap that cannot be decoded within the budget.
QImage ReadEmfPlusBitmap(const TMetaBytes& bytes, std::int64_t at, TEmfPlusBudget& budget);
