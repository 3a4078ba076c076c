#pragma once

#include <QByteArray>

#include "metafile/emfplus/EmfPlusNestedMetafile.h"
#include "metafile/model/MetaPlayList.h"

inline constexpr std::uint32_t kPlaceableWmfKey = 0x9AC6CDD7u;

// True when the bytes begin like a placeable or a plain Windows metafile.
bool IsWmf(const QByteArray& bytes);
// Parses and checks a whole WMF; throws EInvalidGraphic for anything malformed. readMetafile goes to
// the EMF a WMF may carry, for the metafiles of its EMF+ images.
TMetaPlayList ReadWmf(const QByteArray& bytes, const TEmfPlusMetafileReader& readMetafile = {});
