#include "Image.h"

#include <QDebug>
#include <QPainter>
#include <exception>

#include "Graphic.h"
#include "Picture.h"

TImage::TImage(QWidget* parent) : QWidget(parent) {}

TImage::~TImage() = default;

bool TImage::LoadPicture(const QString& path) {
  graphic_.reset();
  try {
    std::unique_ptr<TGraphic> graphic = LoadGraphicFromFile(path);
    graphic->Prepare();
    graphic_ = std::move(graphic);
  } catch (const std::exception& e) {
    // The embedded pictures are made by the build; a failure here is a build
    // fault, not the player's.
    qWarning().noquote() << "Cannot show" << path << ":" << e.what();
  }
  update();
  return graphic_ != nullptr;
}

void TImage::SetCenter(bool center) {
  center_ = center;
  update();
}

QSize TImage::PictureSize() const {
  return graphic_ ? QSize(graphic_->Width(), graphic_->Height()) : QSize();
}

void TImage::paintEvent(QPaintEvent*) {
  if (!graphic_) return;
  QPainter painter(this);
  const QSize size = PictureSize();
  const int left = center_ ? (width() - size.width()) / 2 : 0;
  try {
    graphic_->Draw(painter, QRect(QPoint(left, 0), size));
  } catch (const std::exception& e) {
    qWarning().noquote() << "Cannot draw picture:" << e.what();
  }
}
