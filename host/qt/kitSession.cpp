// Kit session: holds, clock, melody steps and files.
#include "kitSession.h"

#include "script.h"
#include "statusText.h"

#include <QFileInfo>
#include <QTime>

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

namespace korvel::qt {
namespace {

// The name in the platform's own form (UTF-16 on Windows), so any name
// reaches the file; messages show it as Qt does.
files::Path filePath(const QString& path) {
    return {QFileInfo(path).filesystemFilePath().native(), path.toStdString()};
}

// Milliseconds from some fixed moment, counting while the machine sleeps: a
// monotonic clock that stops then would leave the kit's clock behind by the
// time asleep.
uint64_t millisecondsIncludingSleep() {
#ifdef _WIN32
    return GetTickCount64();
#else
#ifdef CLOCK_BOOTTIME
    const clockid_t counter = CLOCK_BOOTTIME;
#else
    const clockid_t counter = CLOCK_MONOTONIC;
#endif
    timespec now{};
    clock_gettime(counter, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000000u;
#endif
}

} // namespace

KitSession::KitSession(SoundPort& sound, QObject* parent) : QObject(parent), sound_(sound) {
    const QTime now = QTime::currentTime();
    initKit(kit_, {static_cast<unsigned>(now.hour()), static_cast<unsigned>(now.minute()),
                   static_cast<unsigned>(now.second()), static_cast<unsigned>(now.msec())});
    startCatchUp(catchUp_, millisecondsIncludingSleep());
    clockTimer_.setInterval(static_cast<int>(clockTickMilliseconds));
    connect(&clockTimer_, &QTimer::timeout, this, &KitSession::catchUp);
    clockTimer_.start();
}

const MelodyStep* KitSession::soundingStep() const {
    return kit_.mode == KitMode::Playing && sounding_ ? &*sounding_ : nullptr;
}

void KitSession::hold(KeyId key) {
    if (!holds_.hold(key, [this](KeyId other) { released(other); })) return;
    const bool wasPlaying = kit_.mode == KitMode::Playing;
    press(kit_, ports(), key);
    if (!wasPlaying && kit_.mode == KitMode::Playing)
        stepExamined(stepStartedByRun(kit_), StepKind::Note, false);
    emit keyHeldChanged(key);
}

void KitSession::letGo(KeyId key) {
    if (holds_.letGo(key)) released(key);
}

void KitSession::letGoAll() {
    holds_.letGoAll([this](KeyId key) { released(key); });
    emit allLetGo();
}

void KitSession::released(KeyId key) {
    release(kit_, ports(), key);
    emit keyHeldChanged(key);
}

bool KitSession::isHeld(KeyId key) const {
    return holds_.isHeld(key);
}

void KitSession::reset() {
    letGoAll();
    resetKit(kit_, ports());
}

FileResult KitSession::loadFile(const QString& path) {
    return loaded(loadScriptFile(kit_, filePath(path)));
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
    return saveScriptFile(kit_, filePath(path));
}

QByteArray KitSession::scriptBytes() const {
    const ScriptImage image = buildScript(kit_);
    return QByteArray(image.data(), static_cast<qsizetype>(image.size()));
}

void KitSession::onMelodyNoteDone() {
    if (kit_.mode == KitMode::Playing) nextNote(kit_, ports(), this);
}

void KitSession::catchUp() {
    catchUpClock(catchUp_, millisecondsIncludingSleep(), kit_, *this);
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
