// Reads one EMF+ drawing or state record into the command it stands for, its fields checked once and
// the objects it names taken from the object table as the records before it left the table.
#pragma once

#include <cstdint>
#include <optional>

#include "metafile/emfplus/EmfPlusCommands.h"
#include "metafile/emfplus/EmfPlusTypes.h"

class TEmfPlusObjectTable;
class TMetaBytes;
struct TEmfPlusBudget;
struct TEmfPlusImageEffect;

// The command of a record; nullopt for one that changes nothing: a record that names an object the
// table does not hold, that has values out of range, or of a type the player has no use for. Throws
// EInvalidGraphic when the record is shorter than its fields. effect is the image effect serialized
// last, which a DrawImagePoints record with the E flag applies to its bitmap when the budget has the
// pixels for the recoloured copy.
std::optional<TEmfPlusCommand> ReadEmfPlusCommand(EmfPlus::ERecord type, std::uint16_t flags,
                                                  const TMetaBytes& data, const TEmfPlusObjectTable& objects,
                                                  const TEmfPlusImageEffect* effect = nullptr,
                                                  TEmfPlusBudget* budget = nullptr);
