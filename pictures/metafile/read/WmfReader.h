#pragma once

#include <QByteArray>

#include "metafile/model/MetaPlayList.h"

inline constexpr std::uint32_t kPlaceableWmfKey = 0x9AC6CDD7u;

// True when the bytes begin like a placeable or a plain Windows metafile.
bool IsWmf(const QByteArray& bytes);
// Parses and checks a whole WMF; throws EInvalidGraphic for anything malformed.
TMetaPlayList ReadWmf(const QByteArray& bytes);
