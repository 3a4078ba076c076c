// TMadeOnceCache: values made once per key across threads and kept, least recently used out, within a budget.
#pragma once

#include <QtGlobal>
#include <algorithm>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

// Values that are costly to make (decoded or drawn pictures), made at most once per key however many
// threads ask for them together, and kept until their cost passes the budget, the least recently used
// first out. A value out of the budget that someone still holds is still found: its memory is spent
// anyway. TValue tells its cost in bytes with Cost(). Safe to call from any thread.
template <typename TKey, typename TValue>
class TMadeOnceCache {
 public:
  explicit TMadeOnceCache(qint64 budgetBytes) : budget_(budgetBytes) {}
  TMadeOnceCache(const TMadeOnceCache&) = delete;
  TMadeOnceCache& operator=(const TMadeOnceCache&) = delete;

  // The value kept for the key; else the one another thread is making, waited for; else the one
  // make() returns now, outside the lock. A make that gives null or throws leaves nothing kept, so the
  // next call tries again.
  template <typename TMake>
  std::shared_ptr<const TValue> Acquire(const TKey& key, TMake&& make) {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (auto hit = FindLocked(key)) return hit;
      if (std::find(inFlight_.begin(), inFlight_.end(), key) == inFlight_.end()) break;
      made_.wait(lock);
    }
    inFlight_.push_back(key);
    ++makings_;
    lock.unlock();

    std::shared_ptr<const TValue> value;
    try {
      value = make();
    } catch (...) {
      // The caller's plain way repeats the failure where it is reported.
    }

    std::vector<std::shared_ptr<const TValue>> evicted;
    lock.lock();
    std::erase(inFlight_, key);
    if (value) InsertLocked(key, value, evicted);
    made_.notify_all();
    lock.unlock();
    // Large values are freed outside the lock, which the tiles' thread may be waiting for.
    evicted.clear();
    return value;
  }

  // Values made so far (calls that found nothing kept and nothing in making).
  int Makings() const {
    std::lock_guard lock(mutex_);
    return makings_;
  }
  qint64 Cost() const {
    std::lock_guard lock(mutex_);
    return cost_;
  }
  void Clear() {
    std::list<Entry> dropped;
    std::lock_guard lock(mutex_);
    dropped.swap(entries_);
    held_.clear();
    cost_ = 0;
  }

 private:
  using Entry = std::pair<TKey, std::shared_ptr<const TValue>>;

  std::shared_ptr<const TValue> FindLocked(const TKey& key) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (!(it->first == key)) continue;
      entries_.splice(entries_.begin(), entries_, it);
      return entries_.front().second;
    }
    for (const auto& [heldKey, value] : held_)
      if (heldKey == key)
        if (auto alive = value.lock()) return alive;
    return nullptr;
  }

  void InsertLocked(const TKey& key, std::shared_ptr<const TValue> value,
                    std::vector<std::shared_ptr<const TValue>>& evicted) {
    std::erase_if(held_, [](const auto& held) { return held.second.expired(); });
    cost_ += value->Cost();
    entries_.emplace_front(key, std::move(value));
    while (cost_ > budget_ && !entries_.empty()) {
      cost_ -= entries_.back().second->Cost();
      held_.emplace_back(entries_.back().first, entries_.back().second);
      evicted.push_back(std::move(entries_.back().second));
      entries_.pop_back();
    }
  }

  const qint64 budget_;
  mutable std::mutex mutex_;
  std::condition_variable made_;
  std::list<Entry> entries_;  // most recently used first
  // Values out of the budget, found while someone else still holds them.
  std::vector<std::pair<TKey, std::weak_ptr<const TValue>>> held_;
  std::vector<TKey> inFlight_;
  qint64 cost_ = 0;
  int makings_ = 0;
};
