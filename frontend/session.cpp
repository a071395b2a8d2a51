// The session's keys, clock, reports and scripts.
#include "frontend/session.h"

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
    resetKit(kit_, ports());
    answerReports();
}

uint64_t Session::catchUp(uint64_t nowMilliseconds) {
    return catchUpClock(catchUp_, nowMilliseconds, kit_, *this);
}

FileResult Session::loadScript(const char* bytes, size_t size, const std::string& name) {
    return change([&](KitState& kit) { return loadScriptBytes(kit, bytes, size, name); });
}

void Session::noteReport(uint64_t tag) {
    reportedTag_ = std::max(reportedTag_, tag);
}

// Out of Playing the note in flight was stopped, and its report means nothing.
void Session::answerReports() {
    while (reportedTag_ != 0) {
        const uint64_t tag = std::exchange(reportedTag_, 0);
        if (kit_.mode == KitMode::Playing && sound_.claimReport(tag)) nextNote(kit_, ports());
    }
}

void Session::stepExamined(const MelodyStep& step, StepKind kind, bool) {
    if (kind != StepKind::Note && kind != StepKind::Rest) return;
    sounding_ = step;
    view_.showStep();
}

} // namespace korvel
