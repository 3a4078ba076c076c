// Records of text, for both readers: text output (ExtTextOut, TextOut, SmallTextOut) and the text state
// (colours, background mode, alignment, character and justification spacing). Fonts are read with the
// object records.
#pragma once

#include "metafile/model/MetaBytes.h"
#include "metafile/read/MetaListBuilder.h"

// A single record's text beyond this is cut; GDI itself refuses longer strings in most calls.
inline constexpr std::int64_t kMaxMetaTextChars = 65536;

// Text state.
void ReadEmfSetTextColor(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSetBkColor(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSetBkMode(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSetTextAlign(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfSetTextJustification(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetTextColor(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetBkColor(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetBkMode(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetTextAlign(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetTextCharExtra(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfSetTextJustification(const TMetaBytes& rec, TMetaListBuilder& builder);

// Text output. A record's text is cut to what it holds and to kMaxMetaTextChars; a record with neither
// text nor an opaque or clip rectangle draws nothing.
void ReadEmfExtTextOutA(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadEmfExtTextOutW(const TMetaBytes& rec, TMetaListBuilder& builder);
// SmallTextOut: a run without advances, its characters 16-bit or, with ETO_SMALL_CHARS, single bytes.
void ReadEmfSmallTextOut(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfTextOut(const TMetaBytes& rec, TMetaListBuilder& builder);
void ReadWmfExtTextOut(const TMetaBytes& rec, TMetaListBuilder& builder);
