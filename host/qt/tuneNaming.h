// What the tune in memory is called and which file it belongs to, through
// undo: each memory seen keeps the name, file and saved state it had, so undo
// brings them back with the tune, and a changed tune keeps its name, not
// saved, until it is saved.
#pragma once

#include "frontend/editor/tuneHistory.h"
#include "host/qt/tuneTools.h"
#include "model/kit.h"

#include <QString>

#include <vector>

namespace korvel::qt {

class TuneNaming {
  public:
    explicit TuneNaming(const KitState& kit) : kit_(kit) {}

    // The tune in memory came from path (a file, an import) or went into it,
    // and the title shows shownFile (an example's has no path); saved when it
    // is the file's (or example's) own.
    void name(const TuneName& name, const QString& path, const QString& shownFile, bool saved);
    // The tune in memory changed: the name of the same memory seen before, or
    // the name kept for the changed tune.
    void follow();
    // The tune is none loaded or saved (an import is neither), and memory is
    // not blank (as Reset leaves it).
    bool unsaved() const;

    const TuneName& tuneName() const { return name_; }
    // The file on disk the tune came from or went into, if any.
    const QString& path() const { return path_; }
    // What the title names.
    const QString& shownFile() const { return shownFile_; }

  private:
    struct NamedTune {
        TuneSnapshot tune;
        TuneName name;
        QString path;
        QString shownFile;
        bool saved;
    };
    const NamedTune* namedTune(const TuneSnapshot& tune) const;

    const KitState& kit_;
    std::vector<NamedTune> namedTunes_;
    TuneName name_ = untitledTune();
    QString path_;
    QString shownFile_;
};

} // namespace korvel::qt
