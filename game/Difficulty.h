#pragma once

#include <array>
#include <string_view>

// The ten difficulty settings of the menu "Dificultad": caption and seconds granted.
struct DifficultySetting {
  std::string_view caption;  // UTF-8
  int seconds;
};

inline constexpr std::array<DifficultySetting, 10> kDifficulties{{
    {"1 (fácil)", 220},
    {"2", 200},
    {"3", 190},
    {"4", 170},
    {"5", 100},
    {"6", 80},
    {"7", 65},
    {"8", 50},
    {"9", 30},
    {"10 (Difícil)", 20},
}};
