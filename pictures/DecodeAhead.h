// TDecodeAhead: worker threads that decode a level's JPEG pictures into the cache before they are turned.
#pragma once

#include <QString>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "DrawArea.h"
#include "jpeg/JpegDecoder.h"

class TJpegCache;

// One picture to have decoded before the player turns it.
struct TDecodeRequest {
  QString path;
  TJpegDecodeOptions options;
  TDrawArea area;
};

// Worker threads that fill the JPEG cache ahead of the clicks. They only turn bytes into QImages
// inside the cache; game state and widgets stay with the GUI thread. A click that comes first finds
// its picture in flight and waits for that one alone, or decodes it itself if no worker has begun.
class TDecodeAhead {
 public:
  explicit TDecodeAhead(TJpegCache& cache, int workers = 2);
  ~TDecodeAhead();
  TDecodeAhead(const TDecodeAhead&) = delete;
  TDecodeAhead& operator=(const TDecodeAhead&) = delete;

  // Replaces what has not begun yet: a new deal makes the old level's pictures useless.
  void Request(std::vector<TDecodeRequest> requests);
  // Returns once nothing is queued and no worker decodes.
  void WaitUntilIdle();
  bool Idle();

 private:
  void Work();

  TJpegCache& cache_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<TDecodeRequest> queue_;
  int busy_ = 0;
  bool stopping_ = false;
  std::vector<std::jthread> workers_;
};
