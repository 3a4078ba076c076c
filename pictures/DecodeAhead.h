// TDecodeAhead: worker threads that decode and prepare a level's pictures into the caches before they are
// turned.
#pragma once

#include <QImage>
#include <QString>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "DrawArea.h"
#include "jpeg/JpegDecoder.h"

class TJpegCache;
class TPreparedPictures;

// One picture to have decoded before the player turns it. The options concern JPEG pictures only;
// the ground (see TPreparedPictures::Acquire) the other kinds only.
struct TDecodeRequest {
  QString path;
  TJpegDecodeOptions options;
  TDrawArea area;
  QImage ground;
};

// Worker threads that fill the caches ahead of the clicks: JPEG pictures into the JPEG cache, the
// other kinds into the prepared pictures (when given). They only turn files into pictures and QImages
// inside the caches; game state and widgets stay with the GUI thread. A click that comes first finds
// its picture in flight and waits for that one alone, or decodes it itself if no worker has begun.
class TDecodeAhead {
 public:
  explicit TDecodeAhead(TJpegCache& jpegs, TPreparedPictures* others = nullptr, int workers = 2);
  ~TDecodeAhead();
  TDecodeAhead(const TDecodeAhead&) = delete;
  TDecodeAhead& operator=(const TDecodeAhead&) = delete;

  // Replaces what has not begun yet: a new deal makes the old level's pictures useless. What the
  // workers made for the requests is held until the next call, so that the caches find it at the
  // clicks even when a picture alone passes their budget.
  void Request(std::vector<TDecodeRequest> requests);
  // Returns once nothing is queued and no worker decodes.
  void WaitUntilIdle();
  bool Idle();

 private:
  void Work();

  TJpegCache& jpegs_;
  TPreparedPictures* others_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<TDecodeRequest> queue_;
  std::uint64_t level_ = 0;  // counts the calls of Request
  std::vector<std::shared_ptr<const void>> held_;
  int busy_ = 0;
  bool stopping_ = false;
  std::vector<std::jthread> workers_;
};
