// Silent sound: the melody's timing without samples.
#include "host/qt/silentSound.h"

#include "model/toneBank.h"

namespace korvel::qt {

SilentSound::SilentSound(QObject* parent) : QObject(parent) {
    noteEnd_.setSingleShot(true);
    noteEnd_.setTimerType(Qt::PreciseTimer);
    connect(&noteEnd_, &QTimer::timeout, this, [this] { emit melodyNoteEnded(inFlightTag_); });
}

void SilentSound::startKeyNote(uint32_t) {
    stopSound();
}

void SilentSound::playTone(uint32_t, uint32_t lengthBytes) {
    inFlightTag_ = ++lastTag_;
    noteEnd_.start(static_cast<int>(uint64_t{lengthBytes} * 1000 / sampleRate));
}

void SilentSound::stopSound() {
    noteEnd_.stop();
    inFlightTag_ = 0;
}

bool SilentSound::claimReport(uint64_t tag) {
    if (tag == 0 || tag != inFlightTag_) return false;
    inFlightTag_ = 0;
    return true;
}

} // namespace korvel::qt
