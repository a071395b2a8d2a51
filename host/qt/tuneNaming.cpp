// Tune names by memory: one entry for each memory seen, found again by its snapshot.
#include "host/qt/tuneNaming.h"

#include <algorithm>

namespace korvel::qt {

void TuneNaming::name(const TuneName& name, const QString& path, const QString& shownFile,
                      bool saved) {
    NamedTune named{takeSnapshot(kit_), name, path, shownFile, saved};
    namedTunes_.erase(std::remove_if(namedTunes_.begin(), namedTunes_.end(),
                                     [&](const NamedTune& n) { return n.tune == named.tune; }),
                      namedTunes_.end());
    namedTunes_.push_back(std::move(named));
    follow();
}

// A changed tune keeps its name: it is the same tune, changed, until saved.
void TuneNaming::follow() {
    const TuneSnapshot now = takeSnapshot(kit_);
    const NamedTune* named = namedTune(now);
    if (!named) {
        namedTunes_.push_back({now, name_, path_, shownFile_, false});
        named = &namedTunes_.back();
    }
    name_ = named->name;
    path_ = named->path;
    shownFile_ = named->shownFile;
}

bool TuneNaming::unsaved() const {
    const NamedTune* named = namedTune(takeSnapshot(kit_));
    const auto& memory = kit_.memory;
    const bool blank = std::all_of(memory.begin(), memory.end(), [](auto n) { return n == 0; });
    return !(named && named->saved) && !blank;
}

const TuneNaming::NamedTune* TuneNaming::namedTune(const TuneSnapshot& tune) const {
    const auto named = std::find_if(namedTunes_.begin(), namedTunes_.end(),
                                    [&](const NamedTune& n) { return n.tune == tune; });
    return named == namedTunes_.end() ? nullptr : &*named;
}

} // namespace korvel::qt
