#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "app/sound.h"

namespace rz {

// Plays tones one after another on a thread of its own through `render`,
// which makes one tone and returns when it has finished (an ALSA write and
// drain, Windows' Beep). PlayAsync returns at once, so it is safe on a
// window thread; Play waits for its tone.
class ToneQueue final : public SoundSink {
 public:
  using Render = std::function<void(int hertz, int milliseconds)>;

  explicit ToneQueue(Render render);
  ~ToneQueue() override;
  ToneQueue(const ToneQueue&) = delete;
  ToneQueue& operator=(const ToneQueue&) = delete;

  void PlayAsync(int hertz, int milliseconds) override { Enqueue(hertz, milliseconds); }
  void Play(int hertz, int milliseconds) override;

 private:
  struct Tone {
    int hertz;
    int milliseconds;
  };

  std::uint64_t Enqueue(int hertz, int milliseconds);
  void Run();

  Render render_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::deque<Tone> queue_;
  std::uint64_t queued_ = 0;
  std::uint64_t played_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace rz
