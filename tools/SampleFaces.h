#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <vector>

// The file kind a face of the sample folder is written as, so that every decoder of the tile plays.
enum class TFaceKind { Jpeg, ProgressiveJpeg, GrayscaleJpeg, Bitmap, Icon, Wmf, Emf };

// One of the 69 faces of the picture pool: its Spanish name, and the colour emoji that shows it
// (0 for the metafile faces, which are drawn as vector motifs instead).
struct TSampleFace {
  const char* word;
  char32_t glyph;
  TFaceKind kind;
};

// The pool in listing order: entry i is written as "c<i+1>-<word>.<ext>".
std::vector<TSampleFace> SampleFaces();

// "c07-cereza.jpg" for position 7 (counted from 1).
QString FaceFileName(int position, const TSampleFace& face);

// A pastel colour of its own for each position, spread round the colour wheel.
QColor FaceBackground(int position);

// The face drawn at size x size pixels: the emoji over a soft pastel disc of its own colour, or a
// drawn initial where the emoji font lacks the glyph. Icons get transparent rounded corners.
QImage RenderEmojiFace(const TSampleFace& face, const QColor& background, int size);
