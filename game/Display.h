#pragma once

// A numeric counter of the header (points, seconds, level).
class IDisplay {
 public:
  virtual ~IDisplay() = default;
  virtual void SetValue(int value) = 0;
};
