#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "metafile/emfplus/EmfPlusObjects.h"

class TMetaBytes;
class TMetaPlayList;

// One EMF+ record as the player needs it: an object record refers to its parsed object instead of
// its data.
struct TEmfPlusRecord {
  std::uint16_t type = 0;
  std::uint16_t flags = 0;
  std::int32_t object = -1;  // index into TEmfPlusData::objects for object records
  QByteArray data;
};

// The EMF+ part of an EMF: its records in file order and the objects they define.
struct TEmfPlusData {
  std::vector<TEmfPlusRecord> records;
  std::vector<TEmfPlusObject> objects;
  double dpiX = 96, dpiY = 96;
  bool dual = true;
  // The play list's commands [first, end) that only stand in for EMF+ records, in order: the GDI
  // player skips them.
  std::vector<std::pair<std::size_t, std::size_t>> gdiFallback;
};

// Collects the EMF+ records of an EMF as its reader goes through the records, and decides which GDI
// records only stand in for EMF+ ones: once EMF+ records have begun, GDI records count as their
// fallback unless a GetDC record hands drawing back to GDI until the next EMF+ record.
class TEmfPlusReader {
 public:
  explicit TEmfPlusReader(TMetaPlayList& list) : list_(list) {}

  // True when a comment record carries EMF+ records.
  static bool Carries(const TMetaBytes& record, std::uint32_t type);
  // Stores the EMF+ records of the comment and adds the command that plays them.
  void ReadComment(const TMetaBytes& record);
  // The commands [first, end) of the list came from one GDI record.
  void NoteGdiCommands(std::size_t first, std::size_t end);
  // Once all records are read: when EMF+ records draw, the GDI commands that were only their fallback
  // are marked for the player to skip.
  void Finish();

 private:
  void ReadRecord(std::uint16_t type, std::uint16_t flags, const TMetaBytes& data);
  void ReadObject(std::uint16_t flags, const TMetaBytes& data);

  TMetaPlayList& list_;
  TEmfPlusData* data_ = nullptr;
  bool begun_ = false, haveDc_ = false, draws_ = false;
  std::vector<std::pair<std::size_t, std::size_t>> fallback_;
  // An object whose data spans several records.
  int pendingId_ = -1, pendingType_ = 0;
  std::int64_t pendingTotal_ = 0;
  QByteArray pending_;
  std::int64_t storedBytes_ = 0;
  TEmfPlusImageBudget imageBudget_;
};
