#pragma once

class TForm1;

// Points every tile at the window's JPEG cache, or at none: the literal path that decodes at
// every load, at full size.
void UseCache(TForm1& form, bool on);

// Starts a game with the countdown stopped, so that nothing but the benchmark drives it.
void StartGame(TForm1& form);

// Finds every pair of the current level, tile by tile, which deals the next level.
void FinishLevel(TForm1& form);

// Peak resident memory of this process so far, in megabytes.
double PeakRssMb();
