#include "EmbeddedMedia.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <stdexcept>

#include "Banner.h"
#include "FileBytes.h"
#include "IconWriter.h"
#include "MetaDrawingBuilder.h"
#include "Skyline.h"
#include "StopSign.h"
#include "WmfWriter.h"
#include "jpeg/JpegDecoder.h"

void WriteEmbeddedMedia(const QString& folder, bool withPreview) {
  QDir dir(folder);
  if (!dir.mkpath(QStringLiteral("."))) throw std::runtime_error("cannot create " + folder.toStdString());
  WriteFileBytes(dir.filePath(QStringLiteral("banner.jpg")),
                 EncodeJpeg(RenderBanner(), {.quality = 92, .progressive = true}));
  const TMetaDrawing stop = BuildStopSign();
  WriteFileBytes(dir.filePath(QStringLiteral("stop.wmf")), WriteWmf(stop));
  WriteIcon(SkylineIcon16(), dir.filePath(QStringLiteral("icon.ico")));
  // The desktop's icon theme takes PNG only: the 32-pixel size is the icon's own picture.
  const QString icon32 = dir.filePath(QStringLiteral("icon-32.png"));
  if (!SkylineIcon16().save(icon32)) throw std::runtime_error("cannot write " + icon32.toStdString());
  for (int size : {48, 64, 128, 256}) {
    const QString path = dir.filePath(QStringLiteral("icon-%1.png").arg(size));
    if (!RenderSkyline(size, true).save(path)) throw std::runtime_error("cannot write " + path.toStdString());
  }
  if (withPreview) {
    // The preview shows the stop sign on the game-over window's red, as the player sees it.
    QImage preview(DrawingWidth(stop), DrawingHeight(stop), QImage::Format_RGB32);
    preview.fill(QColor(255, 0, 0));
    QPainter painter(&preview);
    PaintMetaDrawing(painter, stop);
    painter.end();
    preview.save(dir.filePath(QStringLiteral("stop.png")));
  }
}
