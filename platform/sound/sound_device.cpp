#include "sound/sound_device.h"

#ifdef RZ_HAVE_ALSA

#include <alsa/asoundlib.h>

#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <numbers>
#include <thread>
#include <vector>

namespace rz {
namespace {

constexpr unsigned kSampleRate = 44100;
constexpr double kAmplitude = 0.3 * 32767.0;

// ALSA prints its own complaints (no card, no server) to stderr; a station
// without sound is normal, so they are kept quiet.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

class AlsaTonePlayer final : public SoundSink {
 public:
  explicit AlsaTonePlayer(snd_pcm_t* pcm) : pcm_(pcm), thread_([this] { Run(); }) {}
  ~AlsaTonePlayer() override {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    snd_pcm_close(pcm_);
  }
  AlsaTonePlayer(const AlsaTonePlayer&) = delete;
  AlsaTonePlayer& operator=(const AlsaTonePlayer&) = delete;

  void PlayAsync(int hertz, int milliseconds) override { Enqueue(hertz, milliseconds); }

  void Play(int hertz, int milliseconds) override {
    const std::uint64_t ticket = Enqueue(hertz, milliseconds);
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return played_ >= ticket || stopping_; });
  }

 private:
  struct Tone {
    int hertz;
    int milliseconds;
  };

  std::uint64_t Enqueue(int hertz, int milliseconds) {
    std::lock_guard lock(mutex_);
    queue_.push_back({hertz, milliseconds});
    wake_.notify_all();
    return ++queued_;
  }

  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      const Tone tone = queue_.front();
      queue_.pop_front();
      lock.unlock();
      Render(tone);
      lock.lock();
      ++played_;
      done_.notify_all();
    }
  }

  void Render(const Tone& tone) {
    const auto frames = static_cast<std::size_t>(kSampleRate) * static_cast<std::size_t>(tone.milliseconds) / 1000;
    std::vector<std::int16_t> samples(frames);
    for (std::size_t i = 0; i < frames; ++i) {
      const double phase = 2.0 * std::numbers::pi * tone.hertz * static_cast<double>(i) / kSampleRate;
      samples[i] = static_cast<std::int16_t>(kAmplitude * std::sin(phase));
    }
    snd_pcm_prepare(pcm_);
    std::size_t offset = 0;
    while (offset < frames) {
      const snd_pcm_sframes_t written = snd_pcm_writei(pcm_, samples.data() + offset, frames - offset);
      if (written < 0) {
        if (snd_pcm_recover(pcm_, static_cast<int>(written), 1) < 0) return;
        continue;
      }
      offset += static_cast<std::size_t>(written);
    }
    snd_pcm_drain(pcm_);
  }

  snd_pcm_t* pcm_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::deque<Tone> queue_;
  std::uint64_t queued_ = 0;
  std::uint64_t played_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<SoundSink> MakeSoundDevice() {
  snd_lib_error_set_handler(&QuietAlsaErrors);
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) return std::make_unique<SilentSound>();
  if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kSampleRate, 1,
                         100000) < 0) {
    snd_pcm_close(pcm);
    return std::make_unique<SilentSound>();
  }
  return std::make_unique<AlsaTonePlayer>(pcm);
}

}  // namespace rz

#else

namespace rz {

std::unique_ptr<SoundSink> MakeSoundDevice() { return std::make_unique<SilentSound>(); }

}  // namespace rz

#endif
