#pragma once

#include <uwmf.h>

#include <QByteArray>
#include <QTemporaryFile>

#include "MetaShape.h"

// Builds a WMF in memory through libuemf's writing functions.
class TWmfWriter {
 public:
  // A placeable file carries box and unitsPerInch in its placeable header; a plain one has none.
  TWmfWriter(bool placeable, const TMetaBox& box, int unitsPerInch);
  ~TWmfWriter();
  TWmfWriter(const TWmfWriter&) = delete;
  TWmfWriter& operator=(const TWmfWriter&) = delete;

  // Appends a record made by one of libuemf's U_WMR*_set or w*_set functions and frees it.
  void Append(char* record);
  // Object table of the file, for libuemf's wcreate*_set, wselectobject_set and wdeleteobject_set.
  WMFHANDLES* Handles() const { return handles_; }
  // Appends the records of a shape: create and select its pen and brush, draw, delete them.
  void AddShape(const TMetaShape& shape);
  // Appends the records of a line of text: its font, colours and alignment, the text, the font's deletion.
  void AddText(const TMetaText& text);
  // Appends the end record and returns the file's bytes; the writer takes no more records after it.
  QByteArray Finish();

 private:
  // libuemf always writes a file as it finishes; the bytes are taken from its buffer instead.
  QTemporaryFile scratch_;
  WMFTRACK* track_ = nullptr;
  WMFHANDLES* handles_ = nullptr;
  bool placeable_;
  TMetaBox box_;
};

// A whole WMF of the drawing: mapping records setting the box as window, then the shapes.
QByteArray WriteWmf(const TMetaDrawing& drawing, bool placeable = true);
