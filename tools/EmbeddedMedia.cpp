#include "EmbeddedMedia.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <stdexcept>

#include "Banner.h"
#include "IconWriter.h"
#include "JpegWriter.h"
#include "MetafileWriter.h"
#include "Skyline.h"
#include "StopSign.h"

void WriteEmbeddedMedia(const QString& folder, bool withPreview) {
  QDir dir(folder);
  if (!dir.mkpath(QStringLiteral("."))) throw std::runtime_error("cannot create " + folder.toStdString());
  WriteJpeg(RenderBanner(), dir.filePath(QStringLiteral("banner.jpg")), {true, false, 92});
  const TVectorPicture stop = BuildStopSign();
  WriteWmf(stop, dir.filePath(QStringLiteral("stop.wmf")));
  WriteIcon(SkylineIcon16(), dir.filePath(QStringLiteral("icon.ico")));
  for (int size : {48, 64, 128, 256}) {
    const QString path = dir.filePath(QStringLiteral("icon-%1.png").arg(size));
    if (!RenderSkyline(size, true).save(path)) throw std::runtime_error("cannot write " + path.toStdString());
  }
  if (withPreview) {
    // The preview shows the stop sign on the game-over window's red, as the player sees it.
    QImage preview(stop.width, stop.height, QImage::Format_RGB32);
    preview.fill(QColor(255, 0, 0));
    QPainter painter(&preview);
    PaintVectorPicture(painter, stop);
    painter.end();
    preview.save(dir.filePath(QStringLiteral("stop.png")));
  }
}
