// The face-up times of the picture corpus, prepared ahead and at the click, and how their pixels compare.
#pragma once

#include <QString>
#include <string>
#include <utility>
#include <vector>

class TForm1;

// One way of turning faces measured over the picture corpus: the slowest file's face-up (the median
// of a few runs) and how its tiles' pixels compare with the plain way's.
struct TFaceUpSweep {
  double slowestMs = 0;
  std::string slowestFile;
  int files = 0;
  // The slowest few faces, slowest first: median ms and file.
  std::vector<std::pair<double, std::string>> slowest;
};

// The corpus turned face up both ways, and the pixels of the prepared way against the plain one.
struct TFaceUpFigures {
  bool corpusFound = false;
  TFaceUpSweep prepared;  // pictures prepared ahead by the workers, as the game does now
  TFaceUpSweep plain;     // BMP, ICO and metafiles read, parsed and drawn at the click
  int identical = 0;      // faces whose tile pixels are the same both ways
  int differing = 0;      // faces whose tile pixels differ somewhere
  int pixelsOff = 0;      // tile pixels that differ, over all faces
  int worstChannel = 0;   // the largest difference of one channel
  std::string worstFile;
};

// Every picture of the corpus (ZUM_PICTURE_CORPUS, else ../shared/pictures beside the sources) turned
// as the game turns a face: ten at a time dealt to the window's level, the board covered, which
// requests them ahead, the workers given the time a player looks at the board (until idle), then
// each face's click timed with its load and paint. corpusFound is false without a corpus.
// "zum_bench --face-ups" measures only this.
TFaceUpFigures MeasureFaceUps(TForm1& form);

// The line "slowest face-up (load + first paint at tile size): X ms, FILE", the plain way's figure
// and the pixel comparison; a note that it was skipped without a corpus.
void PrintFaceUps(const TFaceUpFigures& figures);
