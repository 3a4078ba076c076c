// The enumerations and flags of EMF+ records and objects, by their names in the format's documentation.
#pragma once

#include <cstdint>

namespace EmfPlus {

inline constexpr std::uint32_t kCommentIdentifier = 0x2B464D45;  // "EMF+"

// Record types.
enum class ERecord : std::uint16_t {
  Header = 0x4001,
  EndOfFile = 0x4002,
  Comment = 0x4003,
  GetDC = 0x4004,
  Object = 0x4008,
  Clear = 0x4009,
  FillRects = 0x400A,
  DrawRects = 0x400B,
  FillPolygon = 0x400C,
  DrawLines = 0x400D,
  FillEllipse = 0x400E,
  DrawEllipse = 0x400F,
  FillPie = 0x4010,
  DrawPie = 0x4011,
  DrawArc = 0x4012,
  FillRegion = 0x4013,
  FillPath = 0x4014,
  DrawPath = 0x4015,
  FillClosedCurve = 0x4016,
  DrawClosedCurve = 0x4017,
  DrawCurve = 0x4018,
  DrawBeziers = 0x4019,
  DrawImage = 0x401A,
  DrawImagePoints = 0x401B,
  DrawString = 0x401C,
  SetRenderingOrigin = 0x401D,
  SetAntiAliasMode = 0x401E,
  SetCompositingMode = 0x4023,
  Save = 0x4025,
  Restore = 0x4026,
  BeginContainer = 0x4027,
  BeginContainerNoParams = 0x4028,
  EndContainer = 0x4029,
  SetWorldTransform = 0x402A,
  ResetWorldTransform = 0x402B,
  MultiplyWorldTransform = 0x402C,
  TranslateWorldTransform = 0x402D,
  ScaleWorldTransform = 0x402E,
  RotateWorldTransform = 0x402F,
  SetPageTransform = 0x4030,
  ResetClip = 0x4031,
  SetClipRect = 0x4032,
  SetClipPath = 0x4033,
  SetClipRegion = 0x4034,
  OffsetClip = 0x4035,
  DrawDriverString = 0x4036,
  SerializableObject = 0x4038,
};

// The records that put ink on the picture: when a file has any, its GDI records only stand in for
// them.
inline bool Draws(ERecord type) {
  return (type >= ERecord::Clear && type <= ERecord::DrawString) || type == ERecord::DrawDriverString;
}

// Object types, in bits 8-14 of an object record's flags.
enum class EObjectType : std::uint8_t {
  Invalid = 0,
  Brush = 1,
  Pen = 2,
  Path = 3,
  Region = 4,
  Image = 5,
  Font = 6,
  StringFormat = 7,
  ImageAttributes = 8,
};

// Drawing records name objects by their slot, one byte; the table has this many slots.
inline constexpr int kObjectTableSize = 64;

// Record flags.
inline constexpr std::uint16_t kFlagObjectId = 0x00FF;       // the object slot a record names
inline constexpr int kFlagObjectTypeShift = 8;               // Object: the object type, 7 bits
inline constexpr std::uint16_t kFlagObjectTypeMask = 0x7F;   //
inline constexpr std::uint16_t kFlagContinued = 0x8000;      // Object: the data goes on in the next record
inline constexpr std::uint16_t kFlagColourBrush = 0x8000;    // S: the brush field is an ARGB colour
inline constexpr std::uint16_t kFlagCompressed = 0x4000;     // C: 16-bit integer coordinates
inline constexpr std::uint16_t kFlagRelative = 0x0800;       // P: relative compressed points
inline constexpr std::uint16_t kFlagClosed = 0x2000;         // L: DrawLines closes the figure
inline constexpr std::uint16_t kFlagEffect = 0x2000;         // E: DrawImagePoints applies an image effect
inline constexpr std::uint16_t kFlagWinding = 0x2000;        // W: FillClosedCurve fills by winding
inline constexpr std::uint16_t kFlagAppend = 0x2000;         // A: the transform acts after the world
inline constexpr std::uint16_t kFlagAntiAlias = 0x0001;      // SetAntiAliasMode: smoothing on
inline constexpr std::uint16_t kFlagModeMask = 0x00FF;       // compositing mode, page unit
inline constexpr int kFlagCombineModeShift = 8;              // SetClip*: the combine mode, 4 bits
inline constexpr std::uint16_t kFlagCombineModeMask = 0x0F;  //

// Units of page transforms, pens and fonts.
enum EUnit : int {
  kUnitWorld = 0,
  kUnitDisplay = 1,
  kUnitPixel = 2,
  kUnitPoint = 3,
  kUnitInch = 4,
  kUnitDocument = 5,
  kUnitMillimeter = 6,
};

// Device pixels of one unit at dpi pixels per inch; world, display and pixel units count as pixels.
inline double UnitPixels(int unit, double dpi) {
  switch (unit) {
    case kUnitPoint:
      return dpi / 72.0;
    case kUnitInch:
      return dpi;
    case kUnitDocument:
      return dpi / 300.0;
    case kUnitMillimeter:
      return dpi / 25.4;
    default:
      return 1;
  }
}

// How a clip record combines its shape with the clip there is.
enum class ECombineMode : int { Replace = 0, Intersect = 1, Union = 2, Xor = 3, Exclude = 4, Complement = 5 };

// Compositing modes.
inline constexpr int kCompositingSourceOver = 0, kCompositingSourceCopy = 1;

// Brush types and the flags of their optional data.
enum class EBrushType : std::uint32_t {
  SolidColor = 0,
  HatchFill = 1,
  TextureFill = 2,
  PathGradient = 3,
  LinearGradient = 4
};
inline constexpr std::uint32_t kBrushDataPath = 0x01;
inline constexpr std::uint32_t kBrushDataTransform = 0x02;
inline constexpr std::uint32_t kBrushDataPresetColors = 0x04;
inline constexpr std::uint32_t kBrushDataBlendFactorsH = 0x08;
inline constexpr std::uint32_t kBrushDataBlendFactorsV = 0x10;
inline constexpr std::uint32_t kBrushDataFocusScales = 0x40;

// How gradients and textures go on beyond their rectangle or boundary.
enum EWrapMode : std::int32_t {
  kWrapTile = 0,
  kWrapTileFlipX = 1,
  kWrapTileFlipY = 2,
  kWrapTileFlipXY = 3,
  kWrapClamp = 4,
};

// Hatch styles: six line patterns, then twelve percentages of the fore colour (5 % to 90 %).
inline constexpr std::uint32_t kHatchHorizontal = 0;
inline constexpr std::uint32_t kHatchDiagonalCross = 5;
inline constexpr std::uint32_t kHatch05Percent = 6;
inline constexpr std::uint32_t kHatch90Percent = 17;

// Path point types, in the low three bits of a point's type byte, and the flags above them.
inline constexpr std::uint8_t kPathPointTypeMask = 0x07;
inline constexpr std::uint8_t kPathPointTypeStart = 0;
inline constexpr std::uint8_t kPathPointTypeLine = 1;
inline constexpr std::uint8_t kPathPointTypeBezier = 3;
inline constexpr std::uint8_t kPathPointTypeCloseSubpath = 0x80;
// Path object flags: the form of the points and of their types.
inline constexpr std::uint32_t kPathRunLengthTypes = 0x1000;  // R: types as runs
inline constexpr std::uint32_t kPathCompressed = 0x4000;      // C: 16-bit integer points
inline constexpr std::uint32_t kPathRelative = 0x0800;        // P: relative compressed points
// A run of point types: its length in the low six bits of the first byte.
inline constexpr std::uint8_t kPathRunLengthMask = 0x3F;

// Region node types.
enum class ERegionNode : std::uint32_t {
  And = 1,
  Union = 2,
  Xor = 3,
  Exclude = 4,
  Complement = 5,
  Rect = 0x10000000,
  Path = 0x10000001,
  Empty = 0x10000002,
  Infinite = 0x10000003,
};

// Pen data flags: which optional fields follow a pen's width.
inline constexpr std::uint32_t kPenDataTransform = 0x0001;
inline constexpr std::uint32_t kPenDataStartCap = 0x0002;
inline constexpr std::uint32_t kPenDataEndCap = 0x0004;
inline constexpr std::uint32_t kPenDataJoin = 0x0008;
inline constexpr std::uint32_t kPenDataMiterLimit = 0x0010;
inline constexpr std::uint32_t kPenDataLineStyle = 0x0020;
inline constexpr std::uint32_t kPenDataDashedLineCap = 0x0040;
inline constexpr std::uint32_t kPenDataDashedLineOffset = 0x0080;
inline constexpr std::uint32_t kPenDataDashedLine = 0x0100;
inline constexpr std::uint32_t kPenDataNonCenter = 0x0200;
inline constexpr std::uint32_t kPenDataCompoundLine = 0x0400;
inline constexpr std::uint32_t kPenDataCustomStartCap = 0x0800;
inline constexpr std::uint32_t kPenDataCustomEndCap = 0x1000;

// Line caps.
enum ELineCap : std::int32_t {
  kLineCapFlat = 0,
  kLineCapSquare = 1,
  kLineCapRound = 2,
  kLineCapTriangle = 3,
  kLineCapSquareAnchor = 0x11,
  kLineCapRoundAnchor = 0x12,
  kLineCapDiamondAnchor = 0x13,
  kLineCapArrowAnchor = 0x14,
};

// Line joins.
enum ELineJoin : std::int32_t { kLineJoinMiter = 0, kLineJoinBevel = 1, kLineJoinRound = 2 };

// Line styles; Custom takes the pen's dash lengths.
enum ELineStyle : std::int32_t {
  kLineStyleSolid = 0,
  kLineStyleDash = 1,
  kLineStyleDot = 2,
  kLineStyleDashDot = 3,
  kLineStyleDashDotDot = 4,
  kLineStyleCustom = 5,
};

// Custom line caps: a path, or an adjustable arrow; a path cap fills or strokes its path.
enum class ECustomLineCapType : std::uint32_t { Default = 0, AdjustableArrow = 1 };
inline constexpr std::uint32_t kCustomLineCapDataFillPath = 0x01;
inline constexpr std::uint32_t kCustomLineCapDataLinePath = 0x02;

// Image objects: a bitmap or a metafile; a bitmap's data are pixels or a compressed file.
enum class EImageType : std::uint32_t { Unknown = 0, Bitmap = 1, Metafile = 2 };
enum class EBitmapDataType : std::uint32_t { Pixel = 0, Compressed = 1 };

// Pixel formats of bitmaps: bits per pixel in bits 8-15, and the flag of those with a palette.
inline constexpr std::uint32_t kPixelFormatIndexed = 0x00010000;
inline constexpr int kPixelFormatBitsShift = 8;
inline constexpr std::uint32_t kPixelFormat16bppRGB565 = 0x00021006;
inline constexpr std::uint32_t kPixelFormat16bppARGB1555 = 0x00061007;
inline constexpr std::uint32_t kPixelFormat32bppARGB = 0x0026200A;
inline constexpr std::uint32_t kPixelFormat32bppPARGB = 0x000E200B;

// Font styles.
inline constexpr std::int32_t kFontStyleBold = 0x01;
inline constexpr std::int32_t kFontStyleItalic = 0x02;
inline constexpr std::int32_t kFontStyleUnderline = 0x04;
inline constexpr std::int32_t kFontStyleStrikeout = 0x08;

// String formats: flags that keep lines from wrapping, show only whole lines and leave the text
// unclipped by its layout rectangle, and the alignments.
inline constexpr std::uint32_t kStringFormatNoWrap = 0x00001000;
inline constexpr std::uint32_t kStringFormatLineLimit = 0x00002000;
inline constexpr std::uint32_t kStringFormatNoClip = 0x00004000;
enum EStringAlignment : std::int32_t {
  kStringAlignmentNear = 0,
  kStringAlignmentCenter = 1,
  kStringAlignmentFar = 2
};

// Options of DrawDriverString.
inline constexpr std::uint32_t kDriverStringCmapLookup = 0x01;       // characters, not glyph indices
inline constexpr std::uint32_t kDriverStringRealizedAdvance = 0x04;  // one position, the others follow

}  // namespace EmfPlus
