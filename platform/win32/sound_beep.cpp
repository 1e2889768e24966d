// Tones on Windows through Beep(), which returns only when the tone is over:
// it runs on the tone thread, never on the caller's.

#include <windows.h>

#include "sound/sound_device.h"
#include "sound/tone_queue.h"

namespace rz {

std::unique_ptr<SoundSink> MakeSoundDevice() {
  return std::make_unique<ToneQueue>([](int hertz, int milliseconds) {
    ::Beep(static_cast<DWORD>(hertz), static_cast<DWORD>(milliseconds));
  });
}

}  // namespace rz
