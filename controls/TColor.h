// TColor, a colour as 0x00BBGGRR or a system colour's name, and its translation to QColor.
#pragma once

#include <QColor>
#include <cstdint>

// A colour as 0x00BBGGRR (red in the low byte); with the high bit set it names a system colour.
using TColor = std::uint32_t;

inline constexpr TColor clSystemColor = 0x80000000u;
inline constexpr TColor clBtnFace = clSystemColor | 15u;
inline constexpr TColor clBtnShadow = clSystemColor | 16u;
inline constexpr TColor clWindowText = clSystemColor | 8u;
inline constexpr TColor clHighlight = clSystemColor | 13u;
inline constexpr TColor clBtnHighlight = clSystemColor | 20u;
inline constexpr TColor clWindow = clSystemColor | 5u;

inline constexpr TColor clBlack = 0x000000u;
inline constexpr TColor clRed = 0x0000FFu;
inline constexpr TColor clLime = 0x00FF00u;
inline constexpr TColor clGreen = 0x008000u;
inline constexpr TColor clOlive = 0x008080u;
inline constexpr TColor clWhite = 0xFFFFFFu;

// Resolves a colour for drawing; system colours come from the application palette.
QColor ToQColor(TColor color);
