// Moving the sound queue's reports from the audio thread to the GUI thread.
#include "qtSound.h"

#include <QMetaObject>

namespace korvel::qt {

QtSound::QtSound(QObject* parent) : QObject(parent), device_(*this) {
    device_.open();
    releaseTimer_.setSingleShot(true);
    releaseTimer_.setInterval(releaseDelayMs);
    // Idle still: a sound since the timer started would have made the queue busy.
    connect(&releaseTimer_, &QTimer::timeout, this, [this] { device_.releaseIfIdle(); });
}

void QtSound::stopSound() {
    device_.stopSound();
    releaseLater();
}

void QtSound::prepare() {
    device_.prepare();
    releaseLater();
}

void QtSound::releaseLater() {
    if (device_.idle()) releaseTimer_.start();
}

// The device closes, and its audio thread ends, before the QObject part goes
// with any delivery still posted.
QtSound::~QtSound() = default;

// Tags grow with every note, so the note in flight has the largest one seen:
// a stale report raised late by the audio thread cannot hide its report.
void QtSound::melodyNoteEnded(uint64_t tag) {
    uint64_t seen = reportedTag_.load();
    while (seen < tag && !reportedTag_.compare_exchange_weak(seen, tag)) {
    }
    postDelivery();
}

void QtSound::ranDry() {
    dry_.store(true);
    postDelivery();
}

// One delivery in the event queue at a time, so a busy GUI thread does not
// collect one per report.
void QtSound::postDelivery() {
    if (!deliveryPosted_.exchange(true))
        QMetaObject::invokeMethod(this, &QtSound::deliver, Qt::QueuedConnection);
}

void QtSound::deliver() {
    deliveryPosted_.store(false);
    const uint64_t tag = reportedTag_.exchange(0);
    if (tag != 0 && device_.claimReport(tag)) emit melodyNoteDone();
    // After the answer to the report, which may have queued the next note.
    if (dry_.exchange(false)) {
        device_.pauseIfIdle();
        releaseLater();
    }
}

} // namespace korvel::qt
