// TCBImage: the board's picture tile, with its drawing surface, frame, caption and check-coloured margins.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "DrawArea.h"
#include "Picture.h"
#include "TColor.h"
#include "TileGeometry.h"
#include "jpeg/JpegOptions.h"

class QPainter;
class TJpegCache;
class TPreparedPictures;

// A windowless picture tile: one picture from a file, optionally shrunk to fit, centred, framed,
// captioned, with margins painted in a check colour while Checked.
//
// The tile has no background of its own (WA_OpaquePaintEvent off, no autofill), and some of its
// operations "paint at once" over whatever is already on screen while a platform repaint starts
// afresh over the parent's background. Qt only lets a widget paint inside paintEvent and always
// repaints a non-opaque child over its parent, so the tile keeps its drawing surface as a
// transparent layer (Surface()): painting at once draws straight onto that layer, outside any
// paint event, and then calls repaint(), whose paintEvent only puts the layer on screen. Any other
// paintEvent is the platform's: it clears the layer and runs the whole paint operation on it. This
// way PaintMargins at once fills the margins and a later platform repaint of an empty tile does not
// repeat that fill. LoadImage that leaves the tile without a picture clears the layer first, so the
// tile shows empty at once instead of keeping the previous picture's pixels.
//
// Exceptions never leave paintEvent: LoadImage makes the picture decode (Prepare) before it paints,
// so a JPEG decoding error reaches LoadImage's caller; a paintEvent that still meets one draws no
// picture.
class TCBImage : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString ImageName READ ImageName WRITE SetImageName)
  Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth)
  Q_PROPERTY(bool ShowFrame3D READ ShowFrame3D WRITE SetShowFrame3D)
  Q_PROPERTY(bool StretchRatio READ StretchRatio WRITE SetStretchRatio)
  Q_PROPERTY(bool CenterView READ CenterView WRITE SetCenterView)
  Q_PROPERTY(bool ShowEmptyLabel READ ShowEmptyLabel WRITE SetShowEmptyLabel)
  Q_PROPERTY(TJPEGPixelFormat JPEGPixelFormat READ JPEGPixelFormat WRITE SetJPEGPixelFormat)
  Q_PROPERTY(TJPEGScale JPEGScale READ JPEGScale WRITE SetJPEGScale)
  Q_PROPERTY(bool JPEGGrayscale READ JPEGGrayscale WRITE SetJPEGGrayscale)
  Q_PROPERTY(TJPEGPerformance JPEGPerformance READ JPEGPerformance WRITE SetJPEGPerformance)
  Q_PROPERTY(bool JPEGSmoothing READ JPEGSmoothing WRITE SetJPEGSmoothing)
  Q_PROPERTY(bool JPEGProgressiveEncoding READ JPEGProgressiveEncoding WRITE SetJPEGProgressiveEncoding)
  Q_PROPERTY(std::uint8_t JPEGCompressionQuality READ JPEGCompressionQuality WRITE SetJPEGCompressionQuality)
  Q_PROPERTY(bool JPEGProgressiveDisplay READ JPEGProgressiveDisplay WRITE SetJPEGProgressiveDisplay)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
  Q_PROPERTY(TColor CheckColor READ CheckColor WRITE SetCheckColor)
  Q_PROPERTY(QString EmptyLabel READ EmptyLabel WRITE SetEmptyLabel)
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)

 public:
  explicit TCBImage(QWidget* parent = nullptr);
  ~TCBImage() override;

  // Loads the named file and paints at once; ImageName is left alone. A name that is empty, missing,
  // a folder or a wildcard pattern, and a picture that is invalid, leave the tile empty without an
  // error. Other failures (EFOpenError, bad_alloc, a JPEG that fails to decode) propagate; a load
  // failure keeps the previous picture.
  void LoadImage(const QString& fileName);

  // What a left click does; the keyboard and assistive technology press the tile through it.
  void Click() { Q_EMIT clicked(); }

  // JPEG pictures then come decoded from this cache (at the smallest DCT scale that covers the drawn
  // rectangle when the tile shrinks them); what the player sees is the same. Not owned; null, the
  // initial value, decodes at every load.
  void SetJpegCache(TJpegCache* cache) { jpegCache_ = cache; }
  TJpegCache* JpegCache() const { return jpegCache_; }
  // BMP, ICO, WMF and EMF pictures then come from these, parsed once for both tiles of a pair and,
  // when the tile fits them into its area, drawn there already; what the player sees is the same.
  // Not owned; null, the initial value, reads and parses at every load.
  void SetPreparedPictures(TPreparedPictures* pictures) { preparedPictures_ = pictures; }
  TPreparedPictures* PreparedPictures() const { return preparedPictures_; }

  bool StretchRatio() const { return stretchRatio_; }
  void SetStretchRatio(bool value);
  bool CenterView() const { return centerView_; }
  void SetCenterView(bool value);
  bool Checked() const { return checked_; }
  void SetChecked(bool value);
  bool ShowEmptyLabel() const { return showEmptyLabel_; }
  void SetShowEmptyLabel(bool value);
  TJPEGPixelFormat JPEGPixelFormat() const { return jpegPixelFormat_; }
  void SetJPEGPixelFormat(TJPEGPixelFormat value);
  TJPEGScale JPEGScale() const { return jpegScale_; }
  void SetJPEGScale(TJPEGScale value);
  bool JPEGGrayscale() const { return jpegGrayscale_; }
  void SetJPEGGrayscale(bool value);
  TJPEGPerformance JPEGPerformance() const { return jpegPerformance_; }
  void SetJPEGPerformance(TJPEGPerformance value);
  bool JPEGProgressiveDisplay() const { return jpegProgressiveDisplay_; }
  void SetJPEGProgressiveDisplay(bool value);
  bool JPEGSmoothing() const { return jpegSmoothing_; }
  void SetJPEGSmoothing(bool value);
  bool JPEGProgressiveEncoding() const { return jpegProgressiveEncoding_; }
  void SetJPEGProgressiveEncoding(bool value);
  std::uint8_t JPEGCompressionQuality() const { return jpegCompressionQuality_; }
  void SetJPEGCompressionQuality(std::uint8_t value);
  bool ShowFrame3D() const { return showFrame3D_; }
  void SetShowFrame3D(bool value);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& value);
  TPicture& Picture() { return *picture_; }
  const TPicture& Picture() const { return *picture_; }
  QString ImageName() const { return imageName_; }
  void SetImageName(const QString& value);
  TColor CheckColor() const { return checkColor_; }
  void SetCheckColor(TColor value);
  QString EmptyLabel() const { return emptyLabel_; }
  void SetEmptyLabel(const QString& value);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int value);
  TRect PictureRect() const { return pictureRect_; }
  // Where the paint operation fits the picture; JPEGs from the cache are decoded for it.
  TDrawArea DrawArea() const;
  // What the surface shows in that area now, in device pixels: what a picture loaded now is drawn
  // over. Null when the tile does not fit its picture into an area.
  QImage Ground() const;

  // The margin colour while not Checked; the parent's background while ParentColor is on.
  TColor Color() const;
  void SetColor(TColor value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);

  // What the tile has drawn over its parent since the platform last repainted it.
  const QImage& Surface() const { return surface_; }

 Q_SIGNALS:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void ClearImage();
  // The file read, parsed and decoded here and now; failures as LoadImage describes.
  void LoadPlain(const QString& fileName);
  bool LoadCachedJpeg(const QString& fileName);
  bool LoadPrepared(const QString& fileName);
  void HandlePictureChange();
  // The paint operation, at once: on the surface, then shown.
  void PaintNow();
  void PaintMarginsNow();
  void Paint(QPainter& painter, bool keepGoingOnDrawError);
  // The free area inside frame and caption, the caption measured as one line of captionLineHeight.
  TRect FreeArea(int captionLineHeight) const;
  void PaintMargins(QPainter& painter);
  void DrawFrame3D(QPainter& painter);
  void DrawTextOpaque(QPainter& painter, int x, int y, const QString& text, TColor background);
  void ScheduleRepaint();
  void EnsureSurface();
  // Back to the parent's background, where a platform repaint starts.
  void ClearSurface();
  void ShowSurface();

  bool stretchRatio_ = false;
  bool centerView_ = false;
  bool checked_ = false;
  bool showEmptyLabel_ = false;
  TJPEGPixelFormat jpegPixelFormat_ = TJPEGPixelFormat::jf24Bit;
  TJPEGScale jpegScale_ = TJPEGScale::jsFullSize;
  bool jpegGrayscale_ = false;
  TJPEGPerformance jpegPerformance_ = TJPEGPerformance::jpBestQuality;
  bool jpegProgressiveDisplay_ = false;
  bool jpegSmoothing_ = false;
  bool jpegProgressiveEncoding_ = false;
  std::uint8_t jpegCompressionQuality_ = 0;
  bool showFrame3D_ = false;
  QString caption_;
  std::unique_ptr<TPicture> picture_;
  QString imageName_;
  TColor checkColor_ = clRed;
  QString emptyLabel_ = QStringLiteral("Empty");
  int bevelWidth_ = 1;
  TRect pictureRect_;

  TColor color_ = clBtnFace;
  bool parentColor_ = true;
  // The surface's fill colour persists between paints; the empty label is drawn over it.
  TColor surfaceFill_ = clWhite;
  QImage surface_;
  bool showingSurface_ = false;
  bool repaintScheduled_ = false;
  bool leftPressed_ = false;
  TJpegCache* jpegCache_ = nullptr;
  TPreparedPictures* preparedPictures_ = nullptr;
};
