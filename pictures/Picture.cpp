// The extension-to-kind choice and the decoding of each kind behind TPicture and LoadGraphicFromFile.
#include "Picture.h"

#include <QFileInfo>

#include "bitmap/RasterGraphic.h"
#include "jpeg/JpegImage.h"
#include "metafile/Metafile.h"

namespace {
enum class PictureKind { Bitmap, Icon, Metafile, JPEG };

// Decided before the file is opened, so an unknown kind never touches the disk.
PictureKind KindOf(const QString& extension) {
  if (extension == QLatin1String("bmp")) return PictureKind::Bitmap;
  if (extension == QLatin1String("ico")) return PictureKind::Icon;
  if (extension == QLatin1String("wmf") || extension == QLatin1String("emf")) return PictureKind::Metafile;
  if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg")) return PictureKind::JPEG;
  throw EInvalidGraphic(QStringLiteral("Unknown picture file extension (.%1)").arg(extension).toStdString());
}

std::unique_ptr<TGraphic> Decode(PictureKind kind, const QByteArray& bytes) {
  switch (kind) {
    case PictureKind::Bitmap:
    case PictureKind::Icon: {
      auto raster = std::make_unique<TRasterGraphic>(
          kind == PictureKind::Bitmap ? TRasterGraphic::Kind::Bitmap : TRasterGraphic::Kind::Icon);
      raster->LoadFromBytes(bytes);
      return raster;
    }
    case PictureKind::Metafile: {
      auto metafile = std::make_unique<TMetafile>();
      metafile->LoadFromBytes(bytes);
      return metafile;
    }
    case PictureKind::JPEG: {
      auto jpeg = std::make_unique<TJPEGImage>();
      jpeg->LoadFromBytes(bytes);
      return jpeg;
    }
  }
  throw EInvalidGraphic("Unknown picture kind");
}
}  // namespace

TPicture::~TPicture() {
  // The picture may still call back while it is destroyed; nobody must hear it then.
  if (graphic_) graphic_->SetOnChange({});
}

QString TPicture::ExtensionOf(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

std::unique_ptr<TGraphic> LoadGraphicFromFile(const QString& path) {
  const PictureKind kind = KindOf(TPicture::ExtensionOf(path));
  return Decode(kind, ReadPictureFile(path));
}

std::unique_ptr<TGraphic> LoadGraphicFromBytes(const QByteArray& bytes, const QString& extension) {
  return Decode(KindOf(extension.toLower()), bytes);
}

void TPicture::LoadFromFile(const QString& path) {
  Assign(LoadGraphicFromFile(path));
}

void TPicture::LoadFromBytes(const QByteArray& bytes, const QString& extension) {
  Assign(LoadGraphicFromBytes(bytes, extension));
}

void TPicture::Clear() {
  Assign(nullptr);
}

bool TPicture::IsJPEG() const {
  return dynamic_cast<const TJPEGImage*>(graphic_.get()) != nullptr;
}

void TPicture::Assign(std::unique_ptr<TGraphic> graphic) {
  if (graphic_) graphic_->SetOnChange({});
  graphic_ = std::move(graphic);
  if (graphic_) graphic_->SetOnChange([this] { Changed(); });
  Changed();
}

void TPicture::Changed() {
  if (onChange_) onChange_();
}
