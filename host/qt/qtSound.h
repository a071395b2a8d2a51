// The kit's sound for the Qt edition: the gapless sound queue on the default
// audio output (deviceSound.h), with its reports brought to the GUI thread.
//
// Create one on the GUI thread, after the application object; it opens the
// device at once. Hand it to a session as its sound, and melodyNoteEnded() to
// the session. The signal is emitted on the GUI thread, after the handler
// that started the note has returned, with the newest tag reported; only the
// natural end of a melody note is reported (a stopped note or a key note
// raises nothing), and claimReport tells the note in flight from one already
// followed. It comes a little before the note's last samples are heard, so
// the next note follows with no break.
//
// After releaseDelayMs with nothing sounding the device is released, so an
// idle window costs no audio thread wake-ups; prepare() (on any kit key, the
// pointer entering the board, the window coming to the front) or the next
// sound reopens it. A device that ran out of samples on a busy machine is
// reopened with a larger buffer as soon as the report arrives.
#pragma once

#include "audio/deviceSound.h"
#include "frontend/session/session.h"
#include "host/qt/audioReports.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace korvel::qt {

class QtSound final : public QObject, public SessionSound {
    Q_OBJECT

  public:
    explicit QtSound(QObject* parent = nullptr);
    ~QtSound() override;

    // False when no audio output could be opened: the kit then runs silent and
    // melodyNoteEnded() never comes, as on a kit without a speaker.
    bool audioAvailable() const { return device_.isOpen(); }
    // Why not, for the user.
    QString audioError() const { return QString::fromStdString(device_.error()); }

    void startKeyNote(uint32_t keyNoteIndex) override { device_.startKeyNote(keyNoteIndex); }
    void playTone(uint32_t toneIndex, uint32_t lengthBytes) override {
        device_.playTone(toneIndex, lengthBytes);
    }
    void stopSound() override;
    bool claimReport(uint64_t tag) override { return device_.claimReport(tag); }

    // A paused SDL device still wakes every buffer (about 1 % of a core), and a
    // reopened one can take half a second to be heard while the sound server
    // wakes its output: a minute keeps every pause in playing warm.
    static constexpr int releaseDelayMs = 60000;

  public slots:
    // Reopens a released device, as a sound is likely soon.
    void prepare();

  signals:
    void melodyNoteEnded(quint64 tag);

  private:
    void deliver();
    void releaseLater();

    // Before the device, which reports to it until it is closed.
    AudioReports reports_;
    audio::DeviceSound device_;
    QTimer releaseTimer_;
};

} // namespace korvel::qt
