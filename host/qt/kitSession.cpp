// Kit session: holds, clock, melody steps and files.
#include "kitSession.h"

#include "script.h"

#include <QTime>

namespace korvel::qt {

KitSession::KitSession(SoundPort& sound, QObject* parent) : QObject(parent), sound_(sound) {
    const QTime now = QTime::currentTime();
    initKit(kit_, {static_cast<unsigned>(now.hour()), static_cast<unsigned>(now.minute()),
                   static_cast<unsigned>(now.second()), static_cast<unsigned>(now.msec())});
    monotonic_.start();
    startCatchUp(catchUp_, 0);
    clockTimer_.setInterval(static_cast<int>(clockTickMilliseconds));
    connect(&clockTimer_, &QTimer::timeout, this, &KitSession::catchUp);
    clockTimer_.start();
}

const MelodyStep* KitSession::soundingStep() const {
    return kit_.mode == KitMode::Playing && sounding_ ? &*sounding_ : nullptr;
}

void KitSession::hold(KeyId key) {
    const auto k = static_cast<size_t>(key);
    if (k >= keyCount) return;
    if (holds_[k]++ != 0) return;
    const bool wasPlaying = kit_.mode == KitMode::Playing;
    press(kit_, ports(), key);
    // RUN starts the player without an observer; the step it sounded is the
    // one just behind the play pointer.
    if (!wasPlaying && kit_.mode == KitMode::Playing)
        stepExamined(readStep(kit_, (kit_.playPointer - stepNibbles) & addressMask), StepKind::Note,
                     false);
    emit keyHeldChanged(key);
}

void KitSession::letGo(KeyId key) {
    const auto k = static_cast<size_t>(key);
    if (k >= keyCount || holds_[k] == 0) return;
    if (--holds_[k] == 0) {
        release(kit_, ports(), key);
        emit keyHeldChanged(key);
    }
}

void KitSession::letGoAll() {
    for (unsigned k = 0; k < keyCount; ++k) {
        if (holds_[k] == 0) continue;
        holds_[k] = 1;
        letGo(static_cast<KeyId>(k));
    }
    emit allLetGo();
}

bool KitSession::isHeld(KeyId key) const {
    const auto k = static_cast<size_t>(key);
    return k < keyCount && holds_[k] > 0;
}

void KitSession::reset() {
    resetKit(kit_, ports());
}

FileResult KitSession::loadFile(const QString& path) {
    return loaded(loadScriptFile(kit_, path.toStdString()));
}

FileResult KitSession::loadText(const QByteArray& text) {
    return loaded(loadScriptText(kit_, text.constData(), static_cast<size_t>(text.size())));
}

// A script sets the digit registers, which Entry mode shows.
FileResult KitSession::loaded(FileResult result) {
    if (result.outcome == FileOutcome::Done) requestLedRepaint();
    return result;
}

FileResult KitSession::saveFile(const QString& path) {
    return saveScriptFile(kit_, path.toStdString());
}

QByteArray KitSession::scriptBytes() const {
    const ScriptImage image = buildScript(kit_);
    return QByteArray(image.data(), static_cast<qsizetype>(image.size()));
}

void KitSession::onMelodyNoteDone() {
    if (kit_.mode == KitMode::Playing) nextNote(kit_, ports(), this);
}

void KitSession::catchUp() {
    catchUpClock(catchUp_, static_cast<uint64_t>(monotonic_.elapsed()), kit_, *this);
}

void KitSession::requestLedRepaint() {
    emit ledChanged();
}

void KitSession::requestColonRepaint() {
    emit colonChanged();
}

void KitSession::stepExamined(const MelodyStep& step, StepKind kind, bool) {
    if (kind != StepKind::Note && kind != StepKind::Rest) return;
    sounding_ = step;
    emit stepChanged();
}

} // namespace korvel::qt
