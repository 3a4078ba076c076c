// Reading a WMF, placeable or plain, into a play list.
#pragma once

#include <QByteArray>

#include "metafile/model/MetaPlayList.h"

// True when the bytes begin like a placeable or a plain Windows metafile.
bool IsWmf(const QByteArray& bytes);
// Parses and checks a whole WMF; throws EInvalidGraphic for anything malformed.
TMetaPlayList ReadWmf(const QByteArray& bytes);
