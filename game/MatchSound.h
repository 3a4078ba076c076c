#pragma once

// The sound played when a pair is found.
class IMatchSound {
 public:
  virtual ~IMatchSound() = default;
  // Closes the device if open, then opens the sound file; throws with the player's error text.
  virtual void Open() = 0;
  // Starts playback from the beginning and returns at once; failures are silent.
  virtual void Play() = 0;
};
