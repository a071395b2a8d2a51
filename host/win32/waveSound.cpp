// Wave output: one melody header, looping key-note headers, completion reports.
#include "host/win32/waveSound.h"

#include "model/melody.h"

#include <array>

namespace korvel::win32 {
namespace {

constexpr DWORD keyNoteLoops = 0xFFFFFFFF; // never used up while a key is held
constexpr UINT headerBytes = sizeof(WAVEHDR);

HWAVEOUT deviceHandle = nullptr;
const ToneBank* toneBank = nullptr;
WAVEHDR melodyHeader{};
std::array<WAVEHDR, keyNoteSlotCount> keyNoteHeaders{};
WAVEHDR* lastStarted = nullptr;

LPSTR samplesOf(const uint8_t* samples) {
    return reinterpret_cast<LPSTR>(const_cast<uint8_t*>(samples));
}

void buildKeyNoteHeaders(const ToneBank& bank) {
    for (uint32_t k = 0; k < keyNoteSlotCount; ++k) {
        WAVEHDR& header = keyNoteHeaders[k];
        header = WAVEHDR{};
        if (!bank.keyNote[k].samples) continue;
        header.lpData = samplesOf(bank.keyNote[k].samples);
        header.dwBufferLength = bank.keyNote[k].loopBytes;
        header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
        header.dwLoops = keyNoteLoops;
    }
}

void start(WAVEHDR& header) {
    waveOutPrepareHeader(deviceHandle, &header, headerBytes);
    waveOutWrite(deviceHandle, &header, headerBytes);
    lastStarted = &header;
}

class WaveSound final : public SoundPort {
  public:
    void startKeyNote(uint32_t keyNoteIndex) override {
        if (!deviceHandle || keyNoteIndex >= keyNoteSlotCount) return;
        WAVEHDR& header = keyNoteHeaders[keyNoteIndex];
        if (header.lpData) start(header);
    }

    void playTone(uint32_t toneIndex, uint32_t lengthBytes) override {
        if (!deviceHandle || toneIndex >= toneSlotCount || !toneBank->tone[toneIndex]) return;
        melodyHeader = WAVEHDR{};
        melodyHeader.lpData = samplesOf(toneBank->tone[toneIndex]);
        melodyHeader.dwBufferLength = lengthBytes < toneBufferBytes ? lengthBytes : toneBufferBytes;
        melodyHeader.dwLoops = 1;
        start(melodyHeader);
    }

    void stopSound() override {
        if (!deviceHandle) return;
        waveOutReset(deviceHandle);
        if (lastStarted) waveOutUnprepareHeader(deviceHandle, lastStarted, headerBytes);
        lastStarted = nullptr;
    }
};

} // namespace

void openSound(HWND owner, const ToneBank* bank) {
    toneBank = bank;
    deviceHandle = nullptr;
    if (!bank) return;
    buildKeyNoteHeaders(*bank);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = sampleRate;
    format.nAvgBytesPerSec = sampleRate;
    format.nBlockAlign = 1;
    format.wBitsPerSample = 8;
    if (waveOutOpen(&deviceHandle, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(owner), 0,
                    CALLBACK_WINDOW) != MMSYSERR_NOERROR)
        deviceHandle = nullptr;
}

void closeSound() {
    if (deviceHandle) waveOutClose(deviceHandle);
    deviceHandle = nullptr;
    lastStarted = nullptr;
}

bool soundOpen() {
    return deviceHandle != nullptr;
}

SoundPort& waveSound() {
    static WaveSound sound;
    return sound;
}

// Only a report of the melody note now in flight moves the tune on: one for a
// note already stopped, or for a key note, must not start a second note while
// one is queued, whenever the device gets round to posting it.
void soundDone(KitState& kit, KitPorts ports, const WAVEHDR* done) {
    if (kit.mode != KitMode::Playing) return;
    constexpr DWORD finishedNotReleased = WHDR_DONE | WHDR_PREPARED;
    if (done != &melodyHeader ||
        (melodyHeader.dwFlags & finishedNotReleased) != finishedNotReleased)
        return;
    waveOutUnprepareHeader(deviceHandle, &melodyHeader, headerBytes);
    lastStarted = nullptr;
    nextNote(kit, ports);
}

} // namespace korvel::win32
