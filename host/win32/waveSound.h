// The kit's sound on the default wave output device.
//
// The main window opens the device during its creation, right after building
// the tone bank, and closes it when destroyed. The kit model sounds through
// waveSound(); the device reports every finished or stopped buffer by posting
// MM_WOM_DONE to the main window, which passes it to soundDone. Samples are
// 8-bit unsigned mono at 22050 per second, played in place from the bank.
#pragma once

#include "model/kit.h"
#include "model/toneBank.h"

#include <windows.h>
// after windows.h, which it builds on
#include <mmsystem.h>

namespace korvel::win32 {

// Without a bank (its memory was unavailable) no device is opened and the kit runs silent.
void openSound(HWND owner, const ToneBank* bank);
void closeSound();
bool soundOpen();

SoundPort& waveSound();

// The completion report for header `done`: in Playing mode the finished melody
// note is released and the next one started.
void soundDone(KitState& kit, KitPorts ports, const WAVEHDR* done);

} // namespace korvel::win32
