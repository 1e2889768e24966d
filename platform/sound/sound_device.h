#pragma once

#include <memory>

#include "app/sound.h"

namespace rz {

// The machine's sound device (ALSA's default output) playing sine tones on a
// thread of its own; a silent sink when the machine has no sound device.
std::unique_ptr<SoundSink> MakeSoundDevice();

}  // namespace rz
