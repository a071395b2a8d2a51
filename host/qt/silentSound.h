// A sound port that plays nothing but keeps a melody's time: it reports each
// melody note done after the note's length, as a real sound would, so tunes
// step on without an audio device. Key notes and stops end at once.
#pragma once

#include "ports.h"

#include <QObject>
#include <QTimer>

namespace korvel::qt {

class SilentSound final : public QObject, public SoundPort {
    Q_OBJECT

  public:
    explicit SilentSound(QObject* parent = nullptr);

    void startKeyNote(uint32_t keyNoteIndex) override;
    void playTone(uint32_t toneIndex, uint32_t lengthBytes) override;
    void stopSound() override;

  signals:
    // Only for the natural end of the melody note in flight.
    void melodyNoteDone();

  private:
    QTimer noteEnd_;
};

} // namespace korvel::qt
