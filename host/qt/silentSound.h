// A sound that plays nothing but keeps a melody's time: it reports each
// melody note ended after the note's length, as a real sound would, so tunes
// step on without an audio device. Key notes and stops end at once, and
// report nothing.
#pragma once

#include "frontend/session/session.h"

#include <QObject>
#include <QTimer>

#include <cstdint>

namespace korvel::qt {

class SilentSound final : public QObject, public SessionSound {
    Q_OBJECT

  public:
    explicit SilentSound(QObject* parent = nullptr);

    void startKeyNote(uint32_t keyNoteIndex) override;
    void playTone(uint32_t toneIndex, uint32_t lengthBytes) override;
    void stopSound() override;
    bool claimReport(uint64_t tag) override;

  signals:
    void melodyNoteEnded(quint64 tag);

  private:
    QTimer noteEnd_;
    uint64_t lastTag_ = 0;
    uint64_t inFlightTag_ = 0;
};

} // namespace korvel::qt
