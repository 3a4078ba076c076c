#include "SampleFolder.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <stdexcept>

#include "CardBack.h"
#include "ChimeWriter.h"
#include "EmfWriter.h"
#include "FileBytes.h"
#include "IconWriter.h"
#include "MetaDrawingBuilder.h"
#include "SampleFaces.h"
#include "VectorMotifs.h"
#include "WmfWriter.h"
#include "jpeg/JpegDecoder.h"

namespace {

constexpr int kFaceSize = 190;

QImage OnWhite(const QImage& image) {
  QImage flat(image.size(), QImage::Format_RGB32);
  flat.fill(Qt::white);
  QPainter painter(&flat);
  painter.drawImage(0, 0, image);
  return flat;
}

void SavePreview(const TMetaDrawing& drawing, const QString& path) {
  QImage image(DrawingWidth(drawing), DrawingHeight(drawing), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  PaintMetaDrawing(painter, drawing);
  painter.end();
  if (!image.save(path)) throw std::runtime_error("cannot write " + path.toStdString());
}

void WriteFace(int position, const TSampleFace& face, const QString& folder, const QString& previewFolder) {
  const QString fileName = FaceFileName(position, face);
  const QString path = QDir(folder).filePath(fileName);
  const QColor background = FaceBackground(position);
  switch (face.kind) {
    case TFaceKind::Wmf:
    case TFaceKind::Emf: {
      const TMetaDrawing motif = DrawMotif(face.word, background, kFaceSize);
      WriteFileBytes(path, face.kind == TFaceKind::Wmf ? WriteWmf(motif) : WriteEmf(motif));
      if (!previewFolder.isEmpty())
        SavePreview(motif, QDir(previewFolder).filePath(fileName + QStringLiteral(".png")));
      return;
    }
    case TFaceKind::Icon:
      WriteIcon(RenderEmojiFace(face, background, kFaceSize), path);
      return;
    case TFaceKind::Bitmap:
      if (!OnWhite(RenderEmojiFace(face, background, kFaceSize))
               .convertToFormat(QImage::Format_RGB888)
               .save(path, "BMP"))
        throw std::runtime_error("cannot write " + path.toStdString());
      return;
    case TFaceKind::GrayscaleJpeg:
      WriteFileBytes(path, EncodeJpeg(OnWhite(RenderEmojiFace(face, QColor(225, 225, 225), kFaceSize)),
                                      {.quality = 90, .grayscale = true}));
      return;
    case TFaceKind::ProgressiveJpeg:
    case TFaceKind::Jpeg:
      WriteFileBytes(path,
                     EncodeJpeg(OnWhite(RenderEmojiFace(face, background, kFaceSize)),
                                {.quality = 90, .progressive = face.kind == TFaceKind::ProgressiveJpeg}));
      return;
  }
}

}  // namespace

void WriteSampleFolder(const QString& folder, const QString& previewFolder) {
  QDir dir(folder);
  if (!dir.mkpath(QStringLiteral(".")) || (!previewFolder.isEmpty() && !QDir().mkpath(previewFolder)))
    throw std::runtime_error("cannot create " + folder.toStdString());
  // Faces of an older generation under other names would shift the listing positions.
  for (const QString& old : dir.entryList({QStringLiteral("c[0-9][0-9]-*")}, QDir::Files)) dir.remove(old);
  WriteFileBytes(dir.filePath(QStringLiteral("base.jpg")),
                 EncodeJpeg(RenderCardBack(kFaceSize), {.quality = 92}));
  const auto faces = SampleFaces();
  for (size_t i = 0; i < faces.size(); ++i)
    WriteFace(static_cast<int>(i) + 1, faces[i], folder, previewFolder);
  WriteWav(SynthesizeChime(), dir.filePath(QStringLiteral("ok.wav")));
}
