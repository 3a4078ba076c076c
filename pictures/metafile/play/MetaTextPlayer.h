// Text runs of the play list drawn as GDI draws them, and ANSI text decoded by its character set.
#pragma once

#include <QRectF>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <vector>

#include "metafile/model/MetaText.h"
#include "metafile/play/MetaDc.h"

class QPainter;
class TMetaTextOutlines;

// Decodes ANSI text of a font's charset: Windows-1252 for the western sets, the charset's code page
// for the others Qt knows, Latin-1 for the rest. Advances one a byte, when given, become one a character.
QString DecodeMetaAnsi(const QByteArray& bytes, std::uint8_t charset,
                       std::vector<std::int32_t>* advances = nullptr);

// Draws one text run with the state's font (nullptr: the default font), colours, background and
// alignment, logical coordinates mapping onto the painter's window by logicalToWindow. Without a
// painter nothing is drawn. Returns the window-space box of the text cell and opaque rectangle
// (empty when there is none) and, under TA_UPDATECP, moves the state's position past the text.
// textOutlines, when given, keeps the glyph outlines from one drawing of the picture to the next.
QRectF PlayMetaText(QPainter* painter, const TMetaTextRun& run, const TMetaFont* font, TMetaDc& dc,
                    const QTransform& logicalToWindow, TMetaTextOutlines* textOutlines = nullptr);
