#pragma once

#include <cstdint>

// Record types of the GDI+ records that EMF comments carry.
namespace EmfPlus {

inline constexpr std::uint32_t kCommentIdentifier = 0x2B464D45;  // "EMF+"

inline constexpr std::uint16_t kHeader = 0x4001;
inline constexpr std::uint16_t kEndOfFile = 0x4002;
inline constexpr std::uint16_t kComment = 0x4003;
inline constexpr std::uint16_t kGetDC = 0x4004;
inline constexpr std::uint16_t kObject = 0x4008;
inline constexpr std::uint16_t kClear = 0x4009;
inline constexpr std::uint16_t kFillRects = 0x400A;
inline constexpr std::uint16_t kDrawRects = 0x400B;
inline constexpr std::uint16_t kFillPolygon = 0x400C;
inline constexpr std::uint16_t kDrawLines = 0x400D;
inline constexpr std::uint16_t kFillEllipse = 0x400E;
inline constexpr std::uint16_t kDrawEllipse = 0x400F;
inline constexpr std::uint16_t kFillPie = 0x4010;
inline constexpr std::uint16_t kDrawPie = 0x4011;
inline constexpr std::uint16_t kDrawArc = 0x4012;
inline constexpr std::uint16_t kFillRegion = 0x4013;
inline constexpr std::uint16_t kFillPath = 0x4014;
inline constexpr std::uint16_t kDrawPath = 0x4015;
inline constexpr std::uint16_t kFillClosedCurve = 0x4016;
inline constexpr std::uint16_t kDrawClosedCurve = 0x4017;
inline constexpr std::uint16_t kDrawCurve = 0x4018;
inline constexpr std::uint16_t kDrawBeziers = 0x4019;
inline constexpr std::uint16_t kDrawImage = 0x401A;
inline constexpr std::uint16_t kDrawImagePoints = 0x401B;
inline constexpr std::uint16_t kDrawString = 0x401C;
inline constexpr std::uint16_t kSetAntiAliasMode = 0x401E;
inline constexpr std::uint16_t kSetCompositingMode = 0x4023;
inline constexpr std::uint16_t kSave = 0x4025;
inline constexpr std::uint16_t kRestore = 0x4026;
inline constexpr std::uint16_t kBeginContainer = 0x4027;
inline constexpr std::uint16_t kBeginContainerNoParams = 0x4028;
inline constexpr std::uint16_t kEndContainer = 0x4029;
inline constexpr std::uint16_t kSetWorldTransform = 0x402A;
inline constexpr std::uint16_t kResetWorldTransform = 0x402B;
inline constexpr std::uint16_t kMultiplyWorldTransform = 0x402C;
inline constexpr std::uint16_t kTranslateWorldTransform = 0x402D;
inline constexpr std::uint16_t kScaleWorldTransform = 0x402E;
inline constexpr std::uint16_t kRotateWorldTransform = 0x402F;
inline constexpr std::uint16_t kSetPageTransform = 0x4030;
inline constexpr std::uint16_t kResetClip = 0x4031;
inline constexpr std::uint16_t kSetClipRect = 0x4032;
inline constexpr std::uint16_t kSetClipPath = 0x4033;
inline constexpr std::uint16_t kSetClipRegion = 0x4034;
inline constexpr std::uint16_t kOffsetClip = 0x4035;
inline constexpr std::uint16_t kDrawDriverString = 0x4036;

// Object types, bits 8-14 of an object record's flags.
inline constexpr int kObjectBrush = 1;
inline constexpr int kObjectPen = 2;
inline constexpr int kObjectPath = 3;
inline constexpr int kObjectRegion = 4;
inline constexpr int kObjectImage = 5;
inline constexpr int kObjectFont = 6;
inline constexpr int kObjectStringFormat = 7;

// Drawing records name objects by one byte; the table has this many entries.
inline constexpr int kObjectTableSize = 64;

// Record flags.
inline constexpr std::uint16_t kFlagColourBrush = 0x8000;  // S: the brush field is an ARGB colour
inline constexpr std::uint16_t kFlagCompressed = 0x4000;   // C: 16-bit integer coordinates
inline constexpr std::uint16_t kFlagRelative = 0x0800;     // P: relative compressed points
inline constexpr std::uint16_t kFlagClosed = 0x2000;       // L: DrawLines closes the figure
inline constexpr std::uint16_t kFlagWinding = 0x2000;      // W: FillClosedCurve fills by winding
inline constexpr std::uint16_t kFlagAppend = 0x2000;       // A: the transform acts after the world
inline constexpr std::uint16_t kFlagContinued = 0x8000;    // an object whose data goes on in the next record
inline constexpr std::uint16_t kFlagDualHeader = 0x0001;   // the file also holds GDI records that draw

// Units of page transforms, pens and fonts.
inline constexpr int kUnitWorld = 0;
inline constexpr int kUnitDisplay = 1;
inline constexpr int kUnitPixel = 2;
inline constexpr int kUnitPoint = 3;
inline constexpr int kUnitInch = 4;
inline constexpr int kUnitDocument = 5;
inline constexpr int kUnitMillimeter = 6;

// Device pixels of one unit at dpi pixels per inch; world units count as pixels.
double UnitPixels(int unit, double dpi);

}  // namespace EmfPlus
