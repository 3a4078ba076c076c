// The picture tile: loading (through the JPEG cache when it can), the paint operation and its at-once paints.
#include "CBImage.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "PictureName.h"
#include "PreparedPictures.h"
#include "jpeg/JpegCache.h"
#include "jpeg/JpegImage.h"

namespace {
constexpr int kInitialSize = 105;

// The ImageName setter's looser test, under which a wildcard pattern matching a file passes.
bool MatchesFile(const QString& name) {
  if (name.isEmpty()) return false;
  const QFileInfo info(name);
  if (!IsWildcardName(name)) return info.exists() && !info.isDir();
  const QDir folder = info.dir();
  return !folder.entryList({info.fileName()}, QDir::Files | QDir::Hidden | QDir::System).isEmpty();
}

TColor ToTColor(const QColor& color) {
  return static_cast<TColor>(color.red()) | static_cast<TColor>(color.green()) << 8 |
         static_cast<TColor>(color.blue()) << 16;
}

void Fill(QPainter& painter, const TRect& rect, const QColor& color) {
  if (rect.IsEmpty()) return;
  painter.fillRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), color);
}
}  // namespace

TCBImage::TCBImage(QWidget* parent) : QWidget(parent), picture_(std::make_unique<TPicture>()) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setAttribute(Qt::WA_NoSystemBackground, false);
  setAutoFillBackground(false);
  resize(kInitialSize, kInitialSize);
  picture_->SetOnChange([this] { HandlePictureChange(); });
}

TCBImage::~TCBImage() {
  picture_->SetOnChange({});
}

void TCBImage::LoadImage(const QString& fileName) {
  if (!IsAcceptedPictureName(fileName))
    picture_->Clear();
  else if (!LoadCachedJpeg(fileName) && !LoadPrepared(fileName))
    LoadPlain(fileName);
  // Without a picture the paint operation draws no background, so painting over the old pixels
  // would leave the previous picture (usually the card back) in view and the turn would seem to do
  // nothing. The tile starts afresh instead, as a platform repaint of it would.
  if (picture_->Width() <= 0) ClearSurface();
  PaintNow();
}

void TCBImage::LoadPlain(const QString& fileName) {
  bool loaded = true;
  try {
    picture_->LoadFromFile(fileName);
  } catch (const EInvalidGraphic&) {
    loaded = false;
  }
  if (!loaded) {
    picture_->Clear();
  } else if (auto* jpeg = dynamic_cast<TJPEGImage*>(picture_->Graphic())) {
    jpeg->SetPixelFormat(jpegPixelFormat_);
    jpeg->SetScale(jpegScale_);
    jpeg->SetGrayscale(jpegGrayscale_);
    jpeg->SetPerformance(jpegPerformance_);
    jpeg->SetProgressiveDisplay(jpegProgressiveDisplay_);
  }
  // Decoding here rather than in a paint event lets a JPEG decoding error reach our caller.
  if (TGraphic* graphic = picture_->Graphic()) graphic->Prepare();
}

// Anything the cache cannot serve (no cache, no JPEG, a failure) takes the plain load, which then
// reports it. Progressive display repaints from inside the plain load, so it keeps that path too.
bool TCBImage::LoadCachedJpeg(const QString& fileName) {
  if (!jpegCache_ || jpegProgressiveDisplay_) return false;
  TJpegDecodeOptions options;
  options.pixelFormat = jpegPixelFormat_;
  options.scale = jpegScale_;
  options.grayscale = jpegGrayscale_;
  options.performance = jpegPerformance_;
  std::unique_ptr<TJPEGImage> jpeg = jpegCache_->LoadJpeg(fileName, options, DrawArea());
  if (!jpeg) return false;
  picture_->SetGraphic(std::move(jpeg));
  return true;
}

// Anything not prepared (no store, another kind, a failure) takes the plain load, which then reports it.
bool TCBImage::LoadPrepared(const QString& fileName) {
  if (!preparedPictures_) return false;
  std::unique_ptr<TGraphic> graphic = preparedPictures_->Load(fileName, DrawArea());
  if (!graphic) return false;
  picture_->SetGraphic(std::move(graphic));
  return true;
}

void TCBImage::ClearImage() {
  picture_->Clear();
  pictureRect_ = {};
  imageName_.clear();
  PaintMarginsNow();
}

void TCBImage::HandlePictureChange() {
  if (picture_->Width() <= 0 || picture_->Height() <= 0) return;
  if (picture_->IsJPEG() && jpegProgressiveDisplay_) PaintNow();
}

void TCBImage::SetImageName(const QString& value) {
  if (value == imageName_) return;
  imageName_ = value;
  if (MatchesFile(imageName_))
    LoadImage(imageName_);
  else
    ClearImage();
}

void TCBImage::SetCaption(const QString& value) {
  if (value == caption_) return;
  const bool bothNonEmpty = !caption_.isEmpty() && !value.isEmpty();
  caption_ = value;
  if (bothNonEmpty)
    PaintMarginsNow();
  else
    ScheduleRepaint();
}

void TCBImage::SetChecked(bool value) {
  if (value == checked_) return;
  checked_ = value;
  PaintMarginsNow();
}

void TCBImage::SetJPEGCompressionQuality(std::uint8_t value) {
  jpegCompressionQuality_ = value;
}
void TCBImage::SetJPEGProgressiveDisplay(bool value) {
  jpegProgressiveDisplay_ = value;
}

#define ZUM_REPAINTING_SETTER(Name, Type, member) \
  void TCBImage::Set##Name(Type value) {          \
    if (value == member) return;                  \
    member = value;                               \
    ScheduleRepaint();                            \
  }
ZUM_REPAINTING_SETTER(BevelWidth, int, bevelWidth_)
ZUM_REPAINTING_SETTER(ShowFrame3D, bool, showFrame3D_)
ZUM_REPAINTING_SETTER(StretchRatio, bool, stretchRatio_)
ZUM_REPAINTING_SETTER(CenterView, bool, centerView_)
ZUM_REPAINTING_SETTER(ShowEmptyLabel, bool, showEmptyLabel_)
ZUM_REPAINTING_SETTER(JPEGPixelFormat, TJPEGPixelFormat, jpegPixelFormat_)
ZUM_REPAINTING_SETTER(JPEGScale, TJPEGScale, jpegScale_)
ZUM_REPAINTING_SETTER(JPEGGrayscale, bool, jpegGrayscale_)
ZUM_REPAINTING_SETTER(JPEGPerformance, TJPEGPerformance, jpegPerformance_)
ZUM_REPAINTING_SETTER(JPEGSmoothing, bool, jpegSmoothing_)
ZUM_REPAINTING_SETTER(JPEGProgressiveEncoding, bool, jpegProgressiveEncoding_)
ZUM_REPAINTING_SETTER(CheckColor, TColor, checkColor_)
ZUM_REPAINTING_SETTER(EmptyLabel, const QString&, emptyLabel_)
ZUM_REPAINTING_SETTER(ParentColor, bool, parentColor_)
#undef ZUM_REPAINTING_SETTER

TColor TCBImage::Color() const {
  if (!parentColor_) return color_;
  const QWidget* from = parentWidget() ? parentWidget() : this;
  return ToTColor(from->palette().color(from->backgroundRole()));
}

void TCBImage::SetColor(TColor value) {
  if (value == color_ && !parentColor_) return;
  color_ = value;
  parentColor_ = false;
  ScheduleRepaint();
}

void TCBImage::ScheduleRepaint() {
  repaintScheduled_ = true;
  update();
}

void TCBImage::EnsureSurface() {
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = size() * ratio;
  if (surface_.size() == pixels && surface_.devicePixelRatio() == ratio) return;
  surface_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
  surface_.setDevicePixelRatio(ratio);
  surface_.fill(Qt::transparent);
}

void TCBImage::ClearSurface() {
  EnsureSurface();
  surface_.fill(Qt::transparent);
}

void TCBImage::ShowSurface() {
  showingSurface_ = true;
  repaint();
  showingSurface_ = false;
}

void TCBImage::PaintNow() {
  EnsureSurface();
  {
    QPainter painter(&surface_);
    try {
      Paint(painter, false);
    } catch (...) {
      painter.end();
      ShowSurface();
      throw;
    }
  }
  ShowSurface();
}

void TCBImage::PaintMarginsNow() {
  EnsureSurface();
  {
    QPainter painter(&surface_);
    PaintMargins(painter);
  }
  ShowSurface();
}

void TCBImage::paintEvent(QPaintEvent*) {
  // Only our own flush of the surface keeps what is on it; any other paint starts again from the
  // parent's background, as a platform repaint of a windowless control does.
  if (!showingSurface_ || repaintScheduled_ || surface_.size() != size() * devicePixelRatioF()) {
    repaintScheduled_ = false;
    ClearSurface();
    QPainter layer(&surface_);
    try {
      Paint(layer, true);
    } catch (...) {
      // Qt cannot unwind through a paint event; the tile then shows what it got to.
    }
  }
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), surface_);
}

void TCBImage::resizeEvent(QResizeEvent*) {
  EnsureSurface();
}

void TCBImage::Paint(QPainter& painter, bool keepGoingOnDrawError) {
  painter.setFont(QGuiApplication::font());
  const int W = width(), H = height();
  pictureRect_ = {0, 0, W, H};
  if (showFrame3D_) DrawFrame3D(painter);
  const QFontMetrics metrics = painter.fontMetrics();
  const TRect free = FreeArea(metrics.height());

  TGraphic* graphic = picture_->Graphic();
  if (!graphic || graphic->Width() == 0) {
    if (showEmptyLabel_) {
      const int x = (W - metrics.horizontalAdvance(emptyLabel_)) / 2;
      const int y = (H - metrics.height()) / 2;
      DrawTextOpaque(painter, x, y, emptyLabel_, surfaceFill_);
    }
    return;
  }

  const int pw = graphic->Width(), ph = graphic->Height();
  if (stretchRatio_)
    pictureRect_ = FitPictureRect(ClampToInt(static_cast<long long>(free.Right) - free.Left),
                                  ClampToInt(static_cast<long long>(free.Bottom) - free.Top), pw, ph);
  else
    pictureRect_ = {0, 0, pw, ph};
  if (showFrame3D_) pictureRect_ = OffsetRect(pictureRect_, bevelWidth_);
  if (centerView_) pictureRect_ = CenterRect(free, pictureRect_);

  const QRect target =
      stretchRatio_ ? QRect(pictureRect_.Left, pictureRect_.Top, pictureRect_.Width(), pictureRect_.Height())
                    : QRect(pictureRect_.Left, pictureRect_.Top, pw, ph);
  if (!target.isEmpty()) {
    if (keepGoingOnDrawError) {
      try {
        graphic->Draw(painter, target);
      } catch (...) {
        // A picture that cannot draw is left out; the margins are still painted.
      }
    } else {
      graphic->Draw(painter, target);
    }
  }
  PaintMargins(painter);
}

TRect TCBImage::FreeArea(int captionLineHeight) const {
  return TileFreeArea(width(), height(), showFrame3D_, bevelWidth_,
                      caption_.isEmpty() ? 0 : captionLineHeight);
}

TDrawArea TCBImage::DrawArea() const {
  TDrawArea area;
  area.reduce = stretchRatio_ && jpegScale_ == TJPEGScale::jsFullSize;
  if (!area.reduce) return area;
  // The same font the paint operation measures the caption with.
  const TRect free = FreeArea(QFontMetrics(QGuiApplication::font()).height());
  area.width = ClampToInt(static_cast<long long>(free.Right) - free.Left);
  area.height = ClampToInt(static_cast<long long>(free.Bottom) - free.Top);
  area.ratio = devicePixelRatioF();
  area.centred = centerView_;
  return area;
}

QImage TCBImage::Ground() const {
  const TDrawArea area = DrawArea();
  if (!area.reduce || surface_.isNull()) return {};
  const TRect free = FreeArea(QFontMetrics(QGuiApplication::font()).height());
  const QRect pixels(qRound(free.Left * area.ratio), qRound(free.Top * area.ratio),
                     qRound(area.width * area.ratio), qRound(area.height * area.ratio));
  if (!surface_.rect().contains(pixels)) return {};
  QImage ground = surface_.copy(pixels);
  ground.setDevicePixelRatio(area.ratio);
  return ground;
}

void TCBImage::PaintMargins(QPainter& painter) {
  painter.setFont(QGuiApplication::font());
  const int W = width(), H = height();
  surfaceFill_ = checked_ ? checkColor_ : Color();
  const QColor fill = ToQColor(surfaceFill_);
  const int b = showFrame3D_ ? bevelWidth_ : 0;
  const TRect inner = InsetRect(W, H, b);
  if (picture_->Width() <= 0) {
    Fill(painter, inner, fill);
  } else {
    for (const TRect& strip : MarginStrips(inner, pictureRect_)) Fill(painter, strip, fill);
  }

  if (caption_.isEmpty()) return;
  const QFontMetrics metrics = painter.fontMetrics();
  const int available = ClampToInt(static_cast<long long>(W) - 2ll * b);
  const QString shown = CutCaption(caption_, available, metrics);
  const int x = (W - metrics.horizontalAdvance(shown)) / 2;
  const int y = ClampToInt(static_cast<long long>(H) - metrics.height() - bevelWidth_);
  DrawTextOpaque(painter, x, y, shown, surfaceFill_);
}

void TCBImage::DrawFrame3D(QPainter& painter) {
  const QColor light = ToQColor(clBtnHighlight);
  const QColor dark = ToQColor(clBtnShadow);
  for (const TFrameRun& run : Frame3DRuns(width(), height(), bevelWidth_))
    Fill(painter, run.Rect, run.Light ? light : dark);
}

void TCBImage::DrawTextOpaque(QPainter& painter, int x, int y, const QString& text, TColor background) {
  if (text.isEmpty()) return;
  const QFontMetrics metrics = painter.fontMetrics();
  painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), ToQColor(background));
  painter.setPen(ToQColor(clWindowText));
  painter.drawText(QPoint(x, y + metrics.ascent()), text);
}

void TCBImage::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) leftPressed_ = true;
}

void TCBImage::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  const bool wasPressed = leftPressed_;
  leftPressed_ = false;
  if (wasPressed && rect().contains(event->position().toPoint())) Q_EMIT clicked();
}

// The board's right-button handler must only see presses beside the tiles, so the menu request stops here.
void TCBImage::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
}
