// TJPEGImage: decoding on first use, pixels handed in by the cache, and drawing them into a target.
#include "jpeg/JpegImage.h"

#include <QPainter>

void TJPEGImage::LoadFromFile(const QString& path) {
  LoadFromBytes(ReadPictureFile(path));
}

void TJPEGImage::LoadFromBytes(const QByteArray& bytes) {
  LoadFromBytes(bytes, ReadJpegHeader(bytes));
}

void TJPEGImage::LoadFromBytes(const QByteArray& bytes, const TJpegHeader& header) {
  header_ = header;
  bytes_ = bytes;
  bitmap_.reset();
  reduced_ = {};
  drawn_ = {};
  error_.reset();
  Changed();
}

void TJPEGImage::AdoptPixels(const QImage& pixels, const QImage& drawn) {
  error_.reset();
  if (pixels.size() == QSize(Width(), Height())) {
    bitmap_ = pixels;
    reduced_ = {};
  } else {
    bitmap_.reset();
    reduced_ = pixels;
  }
  drawn_ = drawn;
}

void TJPEGImage::Prepare() {
  // Reduced pixels serve every draw they cover, so nothing is left to decode until one they do not.
  if (reduced_.isNull()) Bitmap();
}

template <typename T>
void TJPEGImage::SetOption(T& option, T value) {
  if (option == value) return;
  option = value;
  bitmap_.reset();
  reduced_ = {};
  drawn_ = {};
  error_.reset();
  Changed();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat value) {
  SetOption(options_.pixelFormat, value);
}
void TJPEGImage::SetScale(TJPEGScale value) {
  SetOption(options_.scale, value);
}
void TJPEGImage::SetGrayscale(bool value) {
  SetOption(options_.grayscale, value);
}
void TJPEGImage::SetPerformance(TJPEGPerformance value) {
  SetOption(options_.performance, value);
}

const QImage& TJPEGImage::Bitmap() {
  if (error_) throw *error_;
  if (!bitmap_) {
    if (bytes_.isEmpty()) {
      bitmap_.emplace();
    } else {
      try {
        bitmap_ = DecodeJpeg(bytes_, options_);
      } catch (const EJPEG& error) {
        // A paint that fails would otherwise decode and fail again on every repaint.
        error_ = error;
        throw;
      }
    }
  }
  return *bitmap_;
}

int TJPEGImage::Width() const {
  return header_.outputSizes[static_cast<std::size_t>(options_.scale)].width();
}

int TJPEGImage::Height() const {
  return header_.outputSizes[static_cast<std::size_t>(options_.scale)].height();
}

void TJPEGImage::Draw(QPainter& painter, const QRect& target) {
  if (error_ || bytes_.isEmpty()) return;
  const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1;
  const QSize pixels(qRound(target.width() * ratio), qRound(target.height() * ratio));
  if (!drawn_.isNull() && drawn_.size() == pixels && drawn_.devicePixelRatio() == ratio) {
    painter.drawImage(target.topLeft(), drawn_);
    return;
  }
  const bool reducedCovers =
      !reduced_.isNull() && reduced_.width() >= pixels.width() && reduced_.height() >= pixels.height();
  const QImage& image = reducedCovers ? reduced_ : Bitmap();
  if (target.size() == image.size()) {
    painter.drawImage(target.topLeft(), image);
    return;
  }
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, image);
  painter.restore();
}
