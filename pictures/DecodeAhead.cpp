// The decode-ahead workers: a request queue that each deal replaces, drained into the picture caches.
#include "DecodeAhead.h"

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "PreparedPictures.h"
#include "jpeg/JpegCache.h"

TDecodeAhead::TDecodeAhead(TJpegCache& jpegs, TPreparedPictures* others, int workers)
    : jpegs_(jpegs), others_(others) {
  for (int i = 0; i < workers; ++i) workers_.emplace_back([this] { Work(); });
}

TDecodeAhead::~TDecodeAhead() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  wake_.notify_all();
  workers_.clear();
}

void TDecodeAhead::Request(std::vector<TDecodeRequest> requests) {
  std::vector<std::shared_ptr<const void>> released;
  {
    std::lock_guard lock(mutex_);
    queue_.assign(std::make_move_iterator(requests.begin()), std::make_move_iterator(requests.end()));
    ++level_;
    released.swap(held_);
  }
  wake_.notify_all();
}

void TDecodeAhead::WaitUntilIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return queue_.empty() && busy_ == 0; });
}

bool TDecodeAhead::Idle() {
  std::lock_guard lock(mutex_);
  return queue_.empty() && busy_ == 0;
}

void TDecodeAhead::Work() {
#ifdef __linux__
  // Below the GUI thread, so that events and a click's own decoding come first on a busy machine.
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
#endif
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    TDecodeRequest request = std::move(queue_.front());
    queue_.pop_front();
    const std::uint64_t level = level_;
    ++busy_;
    lock.unlock();
    std::shared_ptr<const void> made;
    if (TJpegCache::Decodes(request.path))
      made = jpegs_.Acquire(request.path, request.options, request.area);
    else if (others_)
      made = others_->Acquire(request.path, request.area, request.ground);
    lock.lock();
    if (made && level == level_) held_.push_back(std::move(made));
    --busy_;
    if (queue_.empty() && busy_ == 0) idle_.notify_all();
  }
}
