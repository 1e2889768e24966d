#include "sound/tone_queue.h"

namespace rz {

ToneQueue::ToneQueue(Render render) : render_(std::move(render)), thread_([this] { Run(); }) {}

ToneQueue::~ToneQueue() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void ToneQueue::Play(int hertz, int milliseconds) {
  const std::uint64_t ticket = Enqueue(hertz, milliseconds);
  std::unique_lock lock(mutex_);
  done_.wait(lock, [&] { return played_ >= ticket || stopping_; });
}

std::uint64_t ToneQueue::Enqueue(int hertz, int milliseconds) {
  std::lock_guard lock(mutex_);
  queue_.push_back({hertz, milliseconds});
  wake_.notify_all();
  return ++queued_;
}

void ToneQueue::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    const Tone tone = queue_.front();
    queue_.pop_front();
    lock.unlock();
    render_(tone.hertz, tone.milliseconds);
    lock.lock();
    ++played_;
    done_.notify_all();
  }
}

}  // namespace rz
