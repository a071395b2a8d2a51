// Audio thread reports to the GUI thread through a pipe or an event.
#include "host/qt/audioReports.h"

#ifdef _WIN32
#include <QWinEventNotifier>
#include <windows.h>
#else
#include <QSocketNotifier>

#include <array>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace korvel::qt {

#ifdef _WIN32
class AudioReports::Wake {
  public:
    explicit Wake(AudioReports& reports)
        : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)), notifier_(event_) {
        QObject::connect(&notifier_, &QWinEventNotifier::activated, &reports, &AudioReports::woken);
    }
    ~Wake() {
        notifier_.setEnabled(false);
        CloseHandle(event_);
    }
    void signal() { SetEvent(event_); }
    void clear() {} // an auto-reset event clears itself

  private:
    HANDLE event_;
    QWinEventNotifier notifier_;
};
#else
class AudioReports::Wake {
  public:
    explicit Wake(AudioReports& reports)
        : pipe_{openPipe()}, notifier_(pipe_[0], QSocketNotifier::Read) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, &reports, &AudioReports::woken);
    }
    ~Wake() {
        notifier_.setEnabled(false);
        ::close(pipe_[0]);
        ::close(pipe_[1]);
    }
    // Never blocks: with the pipe full, a wake is on its way anyway.
    void signal() {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(pipe_[1], &byte, 1);
    }
    void clear() {
        char bytes[16];
        while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
        }
    }

  private:
    static std::array<int, 2> openPipe() {
        std::array<int, 2> ends{-1, -1};
        if (::pipe(ends.data()) != 0) qFatal("korvel: no pipe for the sound's reports");
        for (const int end : ends) ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
        return ends;
    }

    const std::array<int, 2> pipe_; // read end, write end
    QSocketNotifier notifier_;
};
#endif

AudioReports::AudioReports(QObject* parent)
    : QObject(parent), wake_(std::make_unique<Wake>(*this)) {}

AudioReports::~AudioReports() = default;

void AudioReports::melodyNoteEnded(uint64_t tag) {
    uint64_t seen = endedTag_.load();
    while (seen < tag && !endedTag_.compare_exchange_weak(seen, tag)) {
    }
    wake();
}

void AudioReports::ranDry() {
    dry_.store(true);
    wake();
}

void AudioReports::ranOut() {
    ranOut_.store(true);
    wake();
}

// One wake in flight at a time, so a busy GUI thread does not collect one per report.
void AudioReports::wake() {
    if (!wakePending_.exchange(true)) wake_->signal();
}

// Cleared before the reports are taken: a report raised after this wakes again.
void AudioReports::woken() {
    wake_->clear();
    wakePending_.store(false);
    emit arrived();
}

} // namespace korvel::qt
