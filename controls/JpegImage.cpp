#include "JpegImage.h"

#include <QPainter>

void TJPEGImage::LoadFromFile(const QString& path) {
  LoadFromBytes(ReadPictureFile(path));
}

void TJPEGImage::LoadFromBytes(const QByteArray& bytes) {
  header_ = ReadJpegHeader(bytes);
  bytes_ = bytes;
  bitmap_.reset();
  error_.reset();
  Changed();
}

template <typename T>
void TJPEGImage::SetOption(T& option, T value) {
  if (option == value) return;
  option = value;
  bitmap_.reset();
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
  const QImage& image = Bitmap();
  if (target.size() == image.size()) {
    painter.drawImage(target.topLeft(), image);
    return;
  }
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, image);
  painter.restore();
}
