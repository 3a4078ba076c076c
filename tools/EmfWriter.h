#pragma once

#include <uemf.h>

#include <QByteArray>
#include <QTemporaryFile>

#include "MetaShape.h"

// Builds an EMF in memory through libuemf's writing functions. Its reference device has unitsPerInch
// pixels per inch, so logical units (MM_TEXT) are units at that density.
class TEmfWriter {
 public:
  TEmfWriter(const TMetaBox& box, int unitsPerInch);
  ~TEmfWriter();
  TEmfWriter(const TEmfWriter&) = delete;
  TEmfWriter& operator=(const TEmfWriter&) = delete;

  // Appends a record made by one of libuemf's U_EMR*_set or *_set functions and frees it.
  void Append(char* record);
  // Object table of the file, for libuemf's create*_set, selectobject_set and deleteobject_set.
  EMFHANDLES* Handles() const { return handles_; }
  // Appends the records of a shape: create and select its pen and brush, draw, delete them.
  void AddShape(const TMetaShape& shape);
  // Appends the records of a line of text: its font, colours and alignment, the text, the font's deletion.
  void AddText(const TMetaText& text);
  // Appends the end record and returns the file's bytes; the writer takes no more records after it.
  QByteArray Finish();

 private:
  // libuemf always writes a file as it finishes; the bytes are taken from its buffer instead.
  QTemporaryFile scratch_;
  EMFTRACK* track_ = nullptr;
  EMFHANDLES* handles_ = nullptr;
};

// A whole EMF of the drawing: the box is its frame and bounds, then the shapes.
QByteArray WriteEmf(const TMetaDrawing& drawing);
