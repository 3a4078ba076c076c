// The JPEG decoder with the option combination its first byte names (see FuzzInput.h).
#include <cstddef>
#include <cstdint>

#include "FuzzGuiApp.h"
#include "FuzzInput.h"
#include "Graphic.h"
#include "jpeg/JpegDecoder.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  MakeFuzzGuiApplication(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const TJpegDecodeOptions options = JpegOptionsFromByte(data[0]);
  const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
  try {
    const TJpegHeader header = ReadJpegHeader(bytes);
    const QSize expected = header.outputSizes[static_cast<std::size_t>(options.scale)];
    int passes = 0;
    const QImage image = DecodeJpeg(bytes, options, [&](const QImage& pass) {
      ++passes;
      if (pass.size() != expected) __builtin_trap();
    });
    // The header promised this size; a picture of another one would be drawn wrongly by the tile.
    if (image.size() != expected) __builtin_trap();
    if (passes > 0 && !header.progressive) __builtin_trap();
  } catch (const EInvalidGraphic&) {
  }
  return 0;
}
