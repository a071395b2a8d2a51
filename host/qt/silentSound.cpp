// Silent sound: the melody's timing without samples.
#include "silentSound.h"

#include "toneBank.h"

namespace korvel::qt {

SilentSound::SilentSound(QObject* parent) : QObject(parent) {
    noteEnd_.setSingleShot(true);
    noteEnd_.setTimerType(Qt::PreciseTimer);
    connect(&noteEnd_, &QTimer::timeout, this, &SilentSound::melodyNoteDone);
}

void SilentSound::startKeyNote(uint32_t) {
    noteEnd_.stop();
}

void SilentSound::playTone(uint32_t, uint32_t lengthBytes) {
    noteEnd_.start(static_cast<int>(uint64_t{lengthBytes} * 1000 / sampleRate));
}

void SilentSound::stopSound() {
    noteEnd_.stop();
}

} // namespace korvel::qt
