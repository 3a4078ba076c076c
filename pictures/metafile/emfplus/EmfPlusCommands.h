// The EMF+ play list: the commands that EMF+ records become once read and checked, and which GDI
// records of the file only stand in for them. The player trusts what it finds here.
#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

struct TEmfPlusBrush;
struct TEmfPlusFont;
struct TEmfPlusImage;
struct TEmfPlusPen;
struct TEmfPlusStringFormat;

// Where a fill's colours come from: an ARGB colour, or a brush object when object is set.
struct TEmfPlusFillStyle {
  QColor colour;
  std::shared_ptr<const TEmfPlusBrush> object;
};

// Graphics state.
struct TEmfPlusSetAntialias {
  bool on = true;
};
struct TEmfPlusSetCompositing {
  bool sourceCopy = false;  // SourceCopy writes colour and alpha in place of what is there
};
// Save and BeginContainer keep the state under an id; Restore and EndContainer go back to it.
struct TEmfPlusSave {
  std::uint32_t id = 0;
};
struct TEmfPlusRestore {
  std::uint32_t id = 0;
};
// A container maps its source rectangle onto its destination in the world as it is; without a usable
// source it only saves the state.
struct TEmfPlusBeginContainer {
  std::uint32_t id = 0;
  std::optional<QTransform> sourceToDestination;
};
// Saves the state and starts a container in the world as it is.
struct TEmfPlusBeginContainerNoParams {
  std::uint32_t id = 0;
};

// Transforms. Matrices are finite and invertible.
struct TEmfPlusSetWorld {
  QTransform matrix;
};
struct TEmfPlusResetWorld {};
// Multiply, translate, scale and rotate: the matrix acts before the world, or after it when appended.
struct TEmfPlusMultiplyWorld {
  QTransform matrix;
  bool append = false;
};
struct TEmfPlusSetPage {
  int unit = 0;      // EmfPlus::kUnit*
  double scale = 1;  // finite and above 0
};

// Clipping, in world coordinates.
struct TEmfPlusResetClip {};
struct TEmfPlusSetClip {
  QPainterPath shape;
  bool infinite = false;  // a region that covers everything
  int combineMode = 0;    // EmfPlus::ECombineMode, or a value of none of them, which changes nothing
};
struct TEmfPlusOffsetClip {
  QPointF offset;  // finite
};

// Drawing, in world coordinates. Clear and infinite regions fill everywhere: the whole frame.
struct TEmfPlusFill {
  TEmfPlusFillStyle style;
  QPainterPath shape;
  bool everywhere = false;
};
struct TEmfPlusStroke {
  std::shared_ptr<const TEmfPlusPen> pen;
  QPainterPath shape;
};
struct TEmfPlusDrawImage {
  std::shared_ptr<const TEmfPlusImage> image;
  // The part of the image drawn, in sourceUnit (EmfPlus::kUnit*); a bitmap's whole when it has no area.
  QRectF source;
  std::uint32_t sourceUnit = 0;
  // The unit square onto the image's place in world space.
  QTransform placement;
};
// Text in a layout rectangle, aligned and wrapped as the string format says (null: near, near,
// wrapping).
struct TEmfPlusDrawString {
  std::shared_ptr<const TEmfPlusFont> font;
  TEmfPlusFillStyle style;
  std::shared_ptr<const TEmfPlusStringFormat> format;
  QRectF layout;
  QString text;
};
// Characters, or glyph indices of the font, each at its own origin or, with one origin only, following
// each other from it; the matrix maps them into world space.
struct TEmfPlusDrawDriverString {
  std::shared_ptr<const TEmfPlusFont> font;
  TEmfPlusFillStyle style;
  bool byCharacters = false;  // characters, not glyphs
  QString characters;
  std::vector<std::uint16_t> glyphs;
  std::vector<QPointF> origins;
  QTransform matrix;
};

// Commands that carry a matrix, text or an image are kept on the heap, so that the many fills, lines
// and state changes stay small.
template <class T>
using TEmfPlusBoxed = std::unique_ptr<const T>;

using TEmfPlusCommand =
    std::variant<TEmfPlusSetAntialias, TEmfPlusSetCompositing, TEmfPlusSave, TEmfPlusRestore,
                 TEmfPlusBoxed<TEmfPlusBeginContainer>, TEmfPlusBeginContainerNoParams,
                 TEmfPlusBoxed<TEmfPlusSetWorld>, TEmfPlusResetWorld, TEmfPlusBoxed<TEmfPlusMultiplyWorld>,
                 TEmfPlusSetPage, TEmfPlusResetClip, TEmfPlusSetClip, TEmfPlusOffsetClip, TEmfPlusFill,
                 TEmfPlusStroke, TEmfPlusBoxed<TEmfPlusDrawImage>, TEmfPlusBoxed<TEmfPlusDrawString>,
                 TEmfPlusBoxed<TEmfPlusDrawDriverString>>;

// A command's fields, boxed or not.
template <class T>
const T& EmfPlusUnboxed(const T& command) {
  return command;
}
template <class T>
const T& EmfPlusUnboxed(const TEmfPlusBoxed<T>& command) {
  return *command;
}

// The EMF+ part of an EMF.
struct TEmfPlusData {
  std::vector<TEmfPlusCommand> commands;
  // The reference device's resolution, which physical units are converted with.
  double dpiX = 96, dpiY = 96;
  // The play list's commands [first, end) that only stand in for EMF+ records, in order: the GDI
  // player skips them.
  std::vector<std::pair<std::size_t, std::size_t>> gdiFallback;
};
