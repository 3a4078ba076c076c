// The tile's geometry without a painter: free area, frame runs, margin strips, centring and the caption cut.
#include "TileGeometry.h"

#include <QFontMetrics>

namespace {
constexpr int kMaxCaptionChars = 255;
}  // namespace

TRect InsetRect(int width, int height, int b) {
  return {b, b, ClampToInt(static_cast<long long>(width) - b),
          ClampToInt(static_cast<long long>(height) - b)};
}

TRect TileFreeArea(int width, int height, bool frame, int bevel, int captionHeight) {
  TRect free = frame ? InsetRect(width, height, bevel) : TRect{0, 0, width, height};
  free.Bottom = ClampToInt(static_cast<long long>(free.Bottom) - captionHeight);
  return free;
}

TRect OffsetRect(const TRect& rect, int d) {
  auto add = [d](int v) { return ClampToInt(static_cast<long long>(v) + d); };
  return {add(rect.Left), add(rect.Top), add(rect.Right), add(rect.Bottom)};
}

TRect CenterRect(const TRect& A, const TRect& B) {
  const long long bw = static_cast<long long>(B.Right) - B.Left;
  const long long bh = static_cast<long long>(B.Bottom) - B.Top;
  const long long left = A.Left + (static_cast<long long>(A.Right) - A.Left) / 2 - bw / 2;
  const long long top = A.Top + (static_cast<long long>(A.Bottom) - A.Top) / 2 - bh / 2;
  return {ClampToInt(left), ClampToInt(top), ClampToInt(left + bw), ClampToInt(top + bh)};
}

std::array<TRect, 4> MarginStrips(const TRect& inner, const TRect& P) {
  return {{
      {inner.Left, inner.Top, P.Right, P.Top},
      {P.Right, inner.Top, inner.Right, P.Bottom},
      {P.Left, P.Bottom, inner.Right, inner.Bottom},
      {inner.Left, P.Top, P.Left, inner.Bottom},
  }};
}

std::vector<TFrameRun> Frame3DRuns(int W, int H, int n) {
  std::vector<TFrameRun> runs;
  // Polylines leave out their last point; these runs are exactly the pixels that the light
  // polyline (L,B)->(L,T)->(R,T) and then the dark one (R,T)->(R,B)->(L-1,B) cover.
  int L = 0, T = 0, R = W - 1, B = H - 1;
  for (int line = 0; line < n && L <= R && T <= B; ++line) {
    runs.push_back({{L, T, R, T + 1}, true});
    runs.push_back({{L, T + 1, L + 1, B + 1}, true});
    runs.push_back({{R, T, R + 1, B}, false});
    runs.push_back({{L, B, R + 1, B + 1}, false});
    ++L, ++T, --R, --B;
  }
  return runs;
}

QString CutCaption(const QString& caption, int w, const std::function<int(const QString&)>& textWidth) {
  if (textWidth(caption) <= w) return caption;
  QString built;
  int characters = 0;
  for (qsizetype i = 0; i < caption.size() && characters < kMaxCaptionChars; ++characters) {
    if (textWidth(built) >= w) break;
    // A surrogate pair is one character; splitting it would show a broken glyph.
    const bool pair =
        caption.at(i).isHighSurrogate() && i + 1 < caption.size() && caption.at(i + 1).isLowSurrogate();
    const qsizetype length = pair ? 2 : 1;
    built += caption.mid(i, length);
    i += length;
  }
  return built;
}

QString CutCaption(const QString& caption, int w, const QFontMetrics& metrics) {
  return CutCaption(caption, w, [&metrics](const QString& text) { return metrics.horizontalAdvance(text); });
}
