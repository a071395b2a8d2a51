// What the audio thread reports (a melody note's end, the queue run dry, the
// device run out), brought to the GUI thread without allocating or waiting
// on the audio thread: it keeps the reports in atomics and wakes the GUI
// thread through a notifier (a pipe; on Windows an event) once until they are
// taken. arrived() is then emitted on the GUI thread, which takes them all.
#pragma once

#include "audio/deviceSound.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <memory>

namespace korvel::qt {

class AudioReports final : public QObject,
                           public SoundQueueListener,
                           public audio::DeviceSound::UnderrunListener {
    Q_OBJECT

  public:
    explicit AudioReports(QObject* parent = nullptr);
    ~AudioReports() override;

    // Any thread.
    void melodyNoteEnded(uint64_t tag) override;
    void ranDry() override;
    void ranOut() override;

    // GUI thread, after arrived(). Tags grow with every note, so only the
    // largest reported can be of the note in flight: 0 when none came.
    uint64_t takeEndedTag() { return endedTag_.exchange(0); }
    bool takeDry() { return dry_.exchange(false); }
    bool takeRanOut() { return ranOut_.exchange(false); }

  signals:
    void arrived();

  private:
    class Wake;
    void wake();
    void woken();

    std::atomic<uint64_t> endedTag_{0};
    std::atomic<bool> dry_{false};
    std::atomic<bool> ranOut_{false};
    std::atomic<bool> wakePending_{false};
    std::unique_ptr<Wake> wake_;
};

} // namespace korvel::qt
