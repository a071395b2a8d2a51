// The session's keys, clock, reports and scripts.
#include "frontend/session/session.h"

#include <algorithm>
#include <utility>

namespace korvel {

void Session::start(const ClockReading& now, uint64_t nowMilliseconds) {
    initKit(kit_, now);
    startCatchUp(catchUp_, nowMilliseconds);
}

const MelodyStep* Session::soundingStep() const {
    return kit_.mode == KitMode::Playing && sounding_ ? &*sounding_ : nullptr;
}

void Session::hold(KeyId key) {
    endAudition();
    if (!holds_.hold(key, [this](KeyId other) { released(other); })) return;
    press(kit_, ports(), key);
    view_.showKeyHeld(key);
    answerReports();
}

void Session::letGo(KeyId key) {
    if (!holds_.letGo(key)) return;
    released(key);
    answerReports();
}

void Session::letGoAll() {
    holds_.letGoAll([this](KeyId key) { released(key); });
    view_.forgetHolds();
    answerReports();
}

void Session::released(KeyId key) {
    release(kit_, ports(), key);
    view_.showKeyHeld(key);
}

void Session::reset() {
    letGoAll();
    endAudition();
    resetKit(kit_, ports());
    answerReports();
}

uint64_t Session::catchUp(uint64_t nowMilliseconds) {
    return catchUpClock(catchUp_, nowMilliseconds, kit_, *this);
}

FileResult Session::loadScript(const char* bytes, size_t size, const std::string& name,
                               TuneOrigin origin) {
    return change([&](KitState& kit) { return replaceTune(kit, bytes, size, origin, name); });
}

bool Session::audition(uint32_t toneIndex, uint32_t lengthBytes) {
    if (kit_.mode == KitMode::Playing) return false;
    for (unsigned k = 0; k < keyCount; ++k)
        if (holds_.isHeld(static_cast<KeyId>(k))) return false;
    endAudition();
    sound_.playTone(toneIndex, lengthBytes);
    auditioning_ = true;
    return true;
}

void Session::endAudition() {
    if (std::exchange(auditioning_, false)) sound_.stopSound();
}

// RUN's own start with the start address lent for the call: the player reads
// it again only at the end marker.
void Session::playFrom(uint32_t address) {
    letGoAll();
    endAudition();
    if (kit_.mode == KitMode::Playing) sound_.stopSound();
    const uint32_t stored = std::exchange(kit_.startAddress, address);
    startMelody(kit_, ports());
    kit_.startAddress = stored;
    answerReports();
}

void Session::noteReport(uint64_t tag) {
    reportedTag_ = std::max(reportedTag_, tag);
}

// Out of Playing the claimed report is of an audition's tone; it comes as
// the tone's last sample is queued, before the tail is heard, so the tone
// still counts as sounding until something cuts it.
void Session::answerReports() {
    while (reportedTag_ != 0) {
        const uint64_t tag = std::exchange(reportedTag_, 0);
        if (sound_.claimReport(tag) && kit_.mode == KitMode::Playing) nextNote(kit_, ports());
    }
}

void Session::stepExamined(const MelodyStep& step, StepKind kind, bool) {
    if (kind != StepKind::Note && kind != StepKind::Rest) return;
    sounding_ = step;
    view_.showStep();
}

} // namespace korvel
