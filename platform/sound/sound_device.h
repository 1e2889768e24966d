#pragma once

#include <memory>

#include "app/sound.h"

namespace rz {

// The machine's sound device playing tones on a thread of its own: ALSA's
// default output on Linux (a silent sink when the machine has none), the
// system's Beep on Windows (win32/sound_beep.cpp).
std::unique_ptr<SoundSink> MakeSoundDevice();

}  // namespace rz
