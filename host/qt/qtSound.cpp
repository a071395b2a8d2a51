// The sound device's reports answered on the GUI thread.
#include "host/qt/qtSound.h"

namespace korvel::qt {

QtSound::QtSound(QObject* parent) : QObject(parent), device_(reports_, &reports_) {
    device_.open();
    connect(&reports_, &AudioReports::arrived, this, &QtSound::deliver);
    releaseTimer_.setSingleShot(true);
    releaseTimer_.setInterval(releaseDelayMs);
    // Idle still: a sound since the timer started would have made the queue busy.
    connect(&releaseTimer_, &QTimer::timeout, this, [this] { device_.releaseIfIdle(); });
}

// The audio thread ends before anything it reports to goes.
QtSound::~QtSound() {
    device_.close();
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

void QtSound::deliver() {
    if (reports_.takeRanOut()) device_.recoverFromUnderrun();
    const uint64_t tag = reports_.takeEndedTag();
    if (tag != 0) emit melodyNoteEnded(tag);
    // After the answer to the report, which may have queued the next note.
    if (reports_.takeDry()) {
        device_.pauseIfIdle();
        releaseLater();
    }
}

} // namespace korvel::qt
