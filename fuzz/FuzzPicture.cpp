// The picture holder loading bytes as the kind its first byte names, then decoding and drawing them.
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>

#include "FuzzGuiApp.h"
#include "FuzzInput.h"
#include "Picture.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  MakeFuzzGuiApplication(argc, argv);
  RunFuzzEventLoopOnce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const QString kind = QString::fromLatin1(kFuzzPictureKinds[data[0] % kFuzzPictureKinds.size()]);
  const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
  TPicture picture;
  try {
    picture.LoadFromBytes(bytes, kind);
    TGraphic* graphic = picture.Graphic();
    graphic->Prepare();
    // A tile-sized canvas, drawn scaled (as StretchRatio does) and at the natural size (clipped).
    QImage canvas(95, 95, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    graphic->Draw(painter, QRect(0, 0, 95, 71));
    graphic->Draw(painter, QRect(0, 0, picture.Width(), picture.Height()));
  } catch (const EInvalidGraphic&) {
    // EJPEG included: the rejection the tile expects.
  }
  RunFuzzEventLoopOnce();
  return 0;
}
