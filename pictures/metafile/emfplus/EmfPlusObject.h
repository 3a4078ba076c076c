// An object of an EMF+ file (brush, pen, path, region, image, font or string format), read from its
// reassembled data, and the table of slots through which drawing records name objects.
#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>
#include <memory>
#include <variant>

#include "metafile/emfplus/EmfPlusBrush.h"
#include "metafile/emfplus/EmfPlusFont.h"
#include "metafile/emfplus/EmfPlusImage.h"
#include "metafile/emfplus/EmfPlusPath.h"
#include "metafile/emfplus/EmfPlusPen.h"
#include "metafile/emfplus/EmfPlusRegion.h"
#include "metafile/emfplus/EmfPlusStringFormat.h"
#include "metafile/emfplus/EmfPlusTypes.h"

struct TEmfPlusBudget;

// An object, shared by the commands that use it; empty for one that could not be read, which draws
// nothing.
using TEmfPlusObject =
    std::variant<std::monostate, std::shared_ptr<const TEmfPlusBrush>, std::shared_ptr<const TEmfPlusPen>,
                 std::shared_ptr<const TEmfPlusPath>, std::shared_ptr<const TEmfPlusRegion>,
                 std::shared_ptr<const TEmfPlusImage>, std::shared_ptr<const TEmfPlusFont>,
                 std::shared_ptr<const TEmfPlusStringFormat>>;

// Reads an object of the type from its data; anything malformed gives an empty object.
TEmfPlusObject ReadEmfPlusObject(EmfPlus::EObjectType type, const QByteArray& data, TEmfPlusBudget& budget,
                                 const TEmfPlusMetafileReader& readMetafile);

// The objects that the object records so far put in each slot.
class TEmfPlusObjectTable {
 public:
  // Slots beyond the table are left alone.
  void Set(int slot, TEmfPlusObject object) {
    if (slot >= 0 && slot < EmfPlus::kObjectTableSize)
      slots_[static_cast<std::size_t>(slot)] = std::move(object);
  }
  // The object in the slot when it is a T; null for a slot out of the table, empty or holding another
  // kind.
  template <class T>
  std::shared_ptr<const T> Get(std::int64_t slot) const {
    if (slot < 0 || slot >= EmfPlus::kObjectTableSize) return nullptr;
    const auto* object = std::get_if<std::shared_ptr<const T>>(&slots_[static_cast<std::size_t>(slot)]);
    return object ? *object : nullptr;
  }

 private:
  std::array<TEmfPlusObject, EmfPlus::kObjectTableSize> slots_;
};
