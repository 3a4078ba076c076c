// Reads the EMF+ records that an EMF's comment records carry: objects into the object table, the other
// records into commands of the EMF+ play list. Decides which GDI records only stand in for EMF+ ones:
// once EMF+ records have begun, GDI records count as their fallback unless a GetDC record hands
// drawing back to GDI until the next EMF+ record; they are left out when the file's EMF+ records draw.
#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "metafile/emfplus/EmfPlusBudget.h"
#include "metafile/emfplus/EmfPlusImageEffect.h"
#include "metafile/emfplus/EmfPlusNestedMetafile.h"
#include "metafile/emfplus/EmfPlusObject.h"

class TMetaBytes;
class TMetaPlayList;
struct TEmfPlusData;

class TEmfPlusReader {
 public:
  // readMetafile reads the metafiles that image objects carry; without it they draw nothing.
  TEmfPlusReader(TMetaPlayList& list, TEmfPlusMetafileReader readMetafile);

  // True when a comment record carries EMF+ records.
  static bool Carries(const TMetaBytes& record, std::uint32_t type);
  // Reads the EMF+ records of the comment and adds the command that plays them.
  void ReadComment(const TMetaBytes& record);
  // The commands [first, end) of the list came from one GDI record.
  void NoteGdiCommands(std::size_t first, std::size_t end);
  // Once all records are read: when EMF+ records draw, the GDI commands that were only their fallback
  // are marked for the player to skip.
  void Finish();

 private:
  void ReadRecord(EmfPlus::ERecord type, std::uint16_t flags, const TMetaBytes& data);
  void ReadObject(std::uint16_t flags, const TMetaBytes& data);
  // The data of an object record, joined with those of the records it continues; empty until the last.
  std::optional<QByteArray> WholeObject(std::uint16_t flags, const TMetaBytes& data);
  void Store(std::int64_t bytes);

  TMetaPlayList& list_;
  TEmfPlusMetafileReader readMetafile_;
  TEmfPlusData* data_ = nullptr;
  TEmfPlusObjectTable objects_;
  std::size_t objectCount_ = 0;
  bool begun_ = false, haveDc_ = false, draws_ = false;
  std::vector<std::pair<std::size_t, std::size_t>> fallback_;
  // An object whose data spans several records.
  int pendingId_ = -1, pendingType_ = 0;
  std::int64_t pendingTotal_ = 0;
  QByteArray pending_;
  std::int64_t storedBytes_ = 0;
  TEmfPlusBudget budget_;
  std::optional<TEmfPlusImageEffect> effect_;  // the image effect serialized last
};
