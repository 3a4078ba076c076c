// The tile's geometry without a painter: free area, frame runs, margin strips, centring and the caption cut.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "PictureFit.h"

class QFontMetrics;

// (b, b, W - b, H - b): the area inside a frame of b lines.
TRect InsetRect(int width, int height, int b);

// Where a width x height tile may place its picture: inside its 3-D frame of bevel lines when it
// shows one, and above its caption, a line captionHeight high (0 without a caption).
TRect TileFreeArea(int width, int height, bool frame, int bevel, int captionHeight);

// Adds d to all four coordinates.
TRect OffsetRect(const TRect& rect, int d);

// B's size, centred in A (halves truncate toward zero).
TRect CenterRect(const TRect& A, const TRect& B);

// The four pinwheel strips (top, right, bottom, left) of inner that lie outside the picture P.
std::array<TRect, 4> MarginStrips(const TRect& inner, const TRect& P);

// One filled run of the 3D bevel; Light tells the top/left colour from the bottom/right one.
struct TFrameRun {
  TRect Rect;
  bool Light = false;
};

// The pixel runs of an n-line bevel around a W x H control, in drawing order (later runs paint
// over earlier ones). It stops once the rectangle is used up, so an absurd n cannot hang.
std::vector<TFrameRun> Frame3DRuns(int W, int H, int n);

// The caption as shown in an available width w: the whole caption when it fits, otherwise the
// shortest beginning (of its first 255 characters) whose width is w or more.
QString CutCaption(const QString& caption, int w, const std::function<int(const QString&)>& textWidth);
QString CutCaption(const QString& caption, int w, const QFontMetrics& metrics);
