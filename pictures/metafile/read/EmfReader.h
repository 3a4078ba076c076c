#pragma once

#include <QByteArray>

#include "metafile/emfplus/EmfPlusNestedMetafile.h"
#include "metafile/model/MetaPlayList.h"

// True when the bytes begin with an EMF header record carrying the " EMF" signature.
bool IsEmf(const QByteArray& bytes);
// Parses and checks a whole EMF; throws EInvalidGraphic for anything malformed. readMetafile reads the
// metafiles that EMF+ images carry; without it they draw nothing.
TMetaPlayList ReadEmf(const QByteArray& bytes, const TEmfPlusMetafileReader& readMetafile = {});
