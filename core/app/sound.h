#pragma once

namespace rz {

// Where the station's tones go: a sound device, nothing, or a test recorder.
class SoundSink {
 public:
  virtual ~SoundSink() = default;
  // Starts a tone and returns at once (safe on the window thread).
  virtual void PlayAsync(int hertz, int milliseconds) = 0;
  // Plays a tone and returns when it has finished (worker threads only).
  virtual void Play(int hertz, int milliseconds) = 0;
};

// A sink that makes no sound: for machines without a sound device.
class SilentSound final : public SoundSink {
 public:
  void PlayAsync(int, int) override {}
  void Play(int, int) override {}
};

inline constexpr int kBeepHertz = 1000;
inline constexpr int kBeepMilliseconds = 30;
inline constexpr int kEndToneMilliseconds = 150;

// The short confirmation beep of keys and selectors; never blocks.
void ConfirmationBeep(SoundSink& sound);

// The end-of-operation signal: six tones of 150 ms alternating 1500 Hz and
// 1000 Hz, played on the calling (worker) thread, when the sound option is 1.
void PlayEndSignal(SoundSink& sound, int soundOption);

}  // namespace rz
