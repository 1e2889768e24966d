#include "app/sound.h"

namespace rz {

void ConfirmationBeep(SoundSink& sound) { sound.PlayAsync(kBeepHertz, kBeepMilliseconds); }

void PlayEndSignal(SoundSink& sound, int soundOption) {
  if (soundOption != 1) return;
  for (int tone = 0; tone < 6; ++tone) {
    sound.Play(tone % 2 == 0 ? 1500 : 1000, kEndToneMilliseconds);
  }
}

}  // namespace rz
