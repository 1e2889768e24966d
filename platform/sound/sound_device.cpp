#include "sound/sound_device.h"

#ifdef RZ_HAVE_ALSA

#include <alsa/asoundlib.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <vector>

#include "sound/tone_queue.h"

namespace rz {
namespace {

constexpr unsigned kSampleRate = 44100;
constexpr double kAmplitude = 0.3 * 32767.0;

// ALSA prints its own complaints (no card, no server) to stderr; a station
// without sound is normal, so they are kept quiet.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

// Renders one tone as 16-bit samples into the device and waits until it has
// been heard.
void RenderTone(snd_pcm_t* pcm, int hertz, int milliseconds) {
  const auto frames = static_cast<std::size_t>(kSampleRate) * static_cast<std::size_t>(milliseconds) / 1000;
  std::vector<std::int16_t> samples(frames);
  for (std::size_t i = 0; i < frames; ++i) {
    const double phase = 2.0 * std::numbers::pi * hertz * static_cast<double>(i) / kSampleRate;
    samples[i] = static_cast<std::int16_t>(kAmplitude * std::sin(phase));
  }
  snd_pcm_prepare(pcm);
  std::size_t offset = 0;
  while (offset < frames) {
    const snd_pcm_sframes_t written = snd_pcm_writei(pcm, samples.data() + offset, frames - offset);
    if (written < 0) {
      if (snd_pcm_recover(pcm, static_cast<int>(written), 1) < 0) return;
      continue;
    }
    offset += static_cast<std::size_t>(written);
  }
  snd_pcm_drain(pcm);
}

// The device, closed after the tone thread has ended.
class AlsaTonePlayer final : public SoundSink {
 public:
  explicit AlsaTonePlayer(snd_pcm_t* pcm) : pcm_(pcm), tones_(std::in_place, [pcm](int hertz, int ms) { RenderTone(pcm, hertz, ms); }) {}
  ~AlsaTonePlayer() override {
    tones_.reset();
    snd_pcm_close(pcm_);
  }
  AlsaTonePlayer(const AlsaTonePlayer&) = delete;
  AlsaTonePlayer& operator=(const AlsaTonePlayer&) = delete;

  void PlayAsync(int hertz, int milliseconds) override { tones_->PlayAsync(hertz, milliseconds); }
  void Play(int hertz, int milliseconds) override { tones_->Play(hertz, milliseconds); }

 private:
  snd_pcm_t* pcm_;
  std::optional<ToneQueue> tones_;
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
