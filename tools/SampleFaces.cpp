#include "SampleFaces.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace {

// Noto Color Emoji holds its glyphs as bitmaps of this height; drawing at it avoids rescaling twice.
constexpr int kEmojiStrike = 109;

QString Extension(TFaceKind kind) {
  switch (kind) {
    case TFaceKind::Bitmap:
      return QStringLiteral("bmp");
    case TFaceKind::Icon:
      return QStringLiteral("ico");
    case TFaceKind::Wmf:
      return QStringLiteral("wmf");
    case TFaceKind::Emf:
      return QStringLiteral("emf");
    default:
      return QStringLiteral("jpg");
  }
}

QImage RenderGlyph(char32_t glyph) {
  QFont font(QStringLiteral("Noto Color Emoji"));
  font.setPixelSize(kEmojiStrike);
  const QString text = QString::fromUcs4(&glyph, 1);
  if (!QFontMetricsF(font).inFontUcs4(glyph)) return QImage();
  QImage image(kEmojiStrike * 3 / 2, kEmojiStrike * 3 / 2, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setFont(font);
  painter.drawText(image.rect(), Qt::AlignCenter, text);
  painter.end();
  // Crop to the painted pixels so every emoji is centred and scaled by its real extent.
  int left = image.width(), top = image.height(), right = -1, bottom = -1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) > 8) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  if (right < 0) return QImage();
  return image.copy(left, top, right - left + 1, bottom - top + 1);
}

void PaintBackdrop(QPainter& painter, const QColor& background, int size) {
  QRadialGradient glow(size * 0.5, size * 0.42, size * 0.75);
  glow.setColorAt(0.0, background.lighter(112));
  glow.setColorAt(1.0, background.darker(106));
  painter.fillRect(QRectF(0, 0, size, size), glow);
}

void PaintInitial(QPainter& painter, const TSampleFace& face, const QColor& background, int size) {
  const QColor ink = QColor::fromHsvF(background.hsvHueF(), 0.75, 0.55);
  painter.setBrush(ink);
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QRectF(size * 0.18, size * 0.18, size * 0.64, size * 0.64));
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(size * 2 / 5);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter,
                   QString::fromLatin1(face.word).left(1).toUpper());
}

}  // namespace

std::vector<TSampleFace> SampleFaces() {
  using K = TFaceKind;
  return {
      {"manzana", U'\U0001F34E', K::Jpeg},
      {"platano", U'\U0001F34C', K::ProgressiveJpeg},
      {"uvas", U'\U0001F347', K::Icon},
      {"fresa", U'\U0001F353', K::Jpeg},
      {"sandia", U'\U0001F349', K::Jpeg},
      {"estrella", 0, K::Wmf},
      {"cereza", U'\U0001F352', K::Jpeg},
      {"limon", U'\U0001F34B', K::ProgressiveJpeg},
      {"zanahoria", U'\U0001F955', K::Bitmap},
      {"pizza", U'\U0001F355', K::Jpeg},
      {"helado", U'\U0001F366', K::Jpeg},
      {"casa", 0, K::Emf},
      {"tarta", U'\U0001F382', K::Jpeg},
      {"perro", U'\U0001F436', K::ProgressiveJpeg},
      {"gato", U'\U0001F431', K::Jpeg},
      {"conejo", U'\U0001F430', K::Jpeg},
      {"zorro", U'\U0001F98A', K::Jpeg},
      {"oso", U'\U0001F43B', K::Jpeg},
      {"panda", U'\U0001F43C', K::GrayscaleJpeg},
      {"pina", U'\U0001F34D', K::Icon},
      {"tigre", U'\U0001F42F', K::Jpeg},
      {"leon", U'\U0001F981', K::ProgressiveJpeg},
      {"sol", 0, K::Wmf},
      {"vaca", U'\U0001F42E', K::Jpeg},
      {"cerdo", U'\U0001F437', K::Jpeg},
      {"rana", U'\U0001F438', K::Bitmap},
      {"mono", U'\U0001F435', K::Jpeg},
      {"pollito", U'\U0001F424', K::Jpeg},
      {"luna", 0, K::Emf},
      {"pinguino", U'\U0001F427', K::ProgressiveJpeg},
      {"buho", U'\U0001F989', K::Jpeg},
      {"pulpo", U'\U0001F419', K::Jpeg},
      {"pez", U'\U0001F41F', K::Jpeg},
      {"ballena", U'\U0001F433', K::Jpeg},
      {"tortuga", U'\U0001F422', K::ProgressiveJpeg},
      {"mariposa", U'\U0001F98B', K::Jpeg},
      {"abeja", U'\U0001F41D', K::Icon},
      {"mariquita", U'\U0001F41E', K::Jpeg},
      {"elefante", U'\U0001F418', K::Jpeg},
      {"arbol", 0, K::Wmf},
      {"jirafa", U'\U0001F992', K::Jpeg},
      {"unicornio", U'\U0001F984', K::ProgressiveJpeg},
      {"dinosaurio", U'\U0001F996', K::Bitmap},
      {"girasol", U'\U0001F33B', K::Jpeg},
      {"rosa", U'\U0001F339', K::Jpeg},
      {"semaforo", 0, K::Emf},
      {"cactus", U'\U0001F335', K::Jpeg},
      {"seta", U'\U0001F344', K::ProgressiveJpeg},
      {"arcoiris", U'\U0001F308', K::Jpeg},
      {"rayo", U'\U000026A1', K::Jpeg},
      {"copo", U'\U00002744', K::Jpeg},
      {"cohete", U'\U0001F680', K::Jpeg},
      {"coche", U'\U0001F697', K::Jpeg},
      {"autobus", U'\U0001F68C', K::Icon},
      {"avion", U'\U00002708', K::ProgressiveJpeg},
      {"velero", U'\U000026F5', K::Jpeg},
      {"diana", 0, K::Wmf},
      {"balon", U'\U000026BD', K::Jpeg},
      {"guitarra", U'\U0001F3B8', K::Jpeg},
      {"globo", U'\U0001F388', K::Bitmap},
      {"regalo", U'\U0001F381', K::Jpeg},
      {"corona", U'\U0001F451', K::ProgressiveJpeg},
      {"cometa", 0, K::Emf},
      {"reloj", U'\U000023F0', K::Jpeg},
      {"llave", U'\U0001F511', K::Jpeg},
      {"bombilla", U'\U0001F4A1', K::Jpeg},
      {"paraguas", U'\U00002614', K::Jpeg},
      {"sombrero", U'\U0001F3A9', K::ProgressiveJpeg},
      {"ancla", U'\U00002693', K::Jpeg},
  };
}

QString FaceFileName(int position, const TSampleFace& face) {
  return QStringLiteral("c%1-%2.%3")
      .arg(position, 2, 10, QLatin1Char('0'))
      .arg(QString::fromLatin1(face.word), Extension(face.kind));
}

QColor FaceBackground(int position) {
  // Steps of the golden ratio round the wheel keep neighbouring positions far apart in hue.
  const double hue = std::fmod(0.07 + position * 0.6180339887, 1.0);
  const double saturation = position % 3 == 0 ? 0.22 : (position % 3 == 1 ? 0.32 : 0.27);
  return QColor::fromHsvF(static_cast<float>(hue), static_cast<float>(saturation), 0.97f);
}

QImage RenderEmojiFace(const TSampleFace& face, const QColor& background, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (face.kind == TFaceKind::Icon) {
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(0, 0, size, size), size * 0.18, size * 0.18);
    painter.setClipPath(rounded);
  }
  PaintBackdrop(painter, background, size);
  const QImage glyph = RenderGlyph(face.glyph);
  if (glyph.isNull()) {
    PaintInitial(painter, face, background, size);
  } else {
    const double scale = size * 0.78 / std::max(glyph.width(), glyph.height());
    const QSizeF drawn(glyph.width() * scale, glyph.height() * scale);
    painter.drawImage(QRectF(QPointF((size - drawn.width()) / 2, (size - drawn.height()) / 2), drawn), glyph);
  }
  return image;
}
