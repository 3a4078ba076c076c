// The metafile player: parses WMF or EMF bytes and plays them onto an image.
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>

#include "FuzzGuiApp.h"
#include "metafile/Metafile.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  MakeFuzzGuiApplication(argc, argv);
  RunFuzzEventLoopOnce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  TMetafile metafile;
  try {
    metafile.LoadFromBytes(bytes);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  if (metafile.Width() <= 0 || metafile.Height() <= 0) __builtin_trap();
  QImage canvas(95, 95, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  QPainter painter(&canvas);
  metafile.Draw(painter, QRect(0, 0, 95, 95));
  metafile.Draw(painter, QRect(10, 20, 40, 30));
  // The natural size, clipped by the canvas, as a tile without StretchRatio draws it.
  metafile.Draw(painter, QRect(0, 0, metafile.Width(), metafile.Height()));
  RunFuzzEventLoopOnce();
  return 0;
}
