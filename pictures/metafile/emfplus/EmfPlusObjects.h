#pragma once

#include <QBrush>
#include <QByteArray>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QString>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class TMetaBytes;
class TMetaPlayList;

// A shape a pen draws at a line's end (an arrowhead, or a cap QPen has no style for), in pen widths
// with the line's end at the origin and +y pointing on beyond it; empty for none.
struct TEmfPlusArrow {
  QPainterPath shape;
  bool filled = true;
};

// An object of an EMF+ file's object table, parsed from its (reassembled) data. Kind 0 stands for an
// object that could not be read: records using it draw nothing.
struct TEmfPlusObject {
  int kind = 0;  // EmfPlus::kObject*
  // Brushes, and the brush of a pen: in world coordinates. A hatch's pattern is in device pixels.
  QBrush brush;
  bool hatch = false;
  // Where the brush paints, in world coordinates; empty for everywhere. A path gradient that does not
  // repeat paints only inside its boundary.
  QPainterPath brushArea;
  // Pens: width in `unit`s (0 for the thinnest line), caps, joins and dashes.
  QPen pen;
  int unit = 0;
  double width = 0;
  TEmfPlusArrow startArrow, endArrow;
  // A compound pen's parallel lines: pairs of fractions of the width, from its left edge (as the line
  // runs) to its right; empty for a single line.
  std::vector<std::pair<double, double>> compound;
  // Paths and regions; infinite regions cover everything.
  QPainterPath path;
  bool infinite = false;
  // Images: the decoded bitmap, or a metafile with a frame; neither when it cannot be drawn.
  QImage image;
  std::shared_ptr<const TMetaPlayList> metafile;
  // Fonts: em size in `unit`s.
  QString family;
  double emSize = 0;
  int fontStyle = 0;  // 1 bold, 2 italic, 4 underline, 8 strike-out
  // String formats.
  std::uint32_t formatFlags = 0;
  int alignment = 0, lineAlignment = 0;  // 0 near, 1 centre, 2 far
};

// What one file's objects may cost together: decoded image pixels (32 MB as ARGB), path elements
// combined into regions and painted into gradients.
struct TEmfPlusImageBudget {
  std::int64_t pixelsLeft = std::int64_t{8} << 20;
  std::int64_t regionWorkLeft = 200000;
  // Path elements painted into path gradients' images, counted once for each ring.
  std::int64_t gradientWorkLeft = 4'000'000;
};

// Parses an object of the type (EmfPlus::kObject*) from its data. Anything malformed gives kind 0.
TEmfPlusObject ParseEmfPlusObject(int type, const QByteArray& data, TEmfPlusImageBudget& budget);

// Parts of objects that other objects embed; each returns false when the bytes are malformed and
// moves at past what it read.
bool ParseEmfPlusPath(const TMetaBytes& bytes, std::int64_t& at, QPainterPath& path);
bool ParseEmfPlusBrush(const TMetaBytes& bytes, std::int64_t& at, TEmfPlusObject& brush,
                       TEmfPlusImageBudget& budget);
// A pen object from at: returns false when its bytes are malformed.
bool ParseEmfPlusPen(const TMetaBytes& bytes, std::int64_t at, TEmfPlusObject& pen,
                     TEmfPlusImageBudget& budget);
