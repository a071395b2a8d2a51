// Editor Listen: the input's samples to the shared LiveListen on a timer.
#include "host/qt/editorListen.h"

namespace korvel::qt {

EditorListen::EditorListen(TuneEditor& editor, QObject* parent) : QObject(parent), editor_(editor) {
    timer_.setInterval(frameMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        const bool open = takeSamples();
        emit heard();
        if (open) return;
        timer_.stop();
        emit inputLost();
    });
}

EditorListen::~EditorListen() {
    cancel();
}

QString EditorListen::start() {
    if (listening()) return {};
    if (!input_) return tr("No sound input: this program was built without one.");
    if (!input_->open()) return QString::fromStdString(input_->error());
    live_.emplace(editor_, input_->sampleRate());
    dropped_ = 0;
    timer_.start();
    return {};
}

ListenOutcome EditorListen::stop() {
    if (!listening()) return {};
    takeSamples();
    timer_.stop();
    const double lostSeconds = double(dropped_) / input_->sampleRate();
    input_->close();
    ListenOutcome outcome = live_->stop();
    live_.reset();
    if (lostSeconds > 0)
        outcome.message += tr(" %1 s of sound was lost while the program was busy.")
                               .arg(lostSeconds, 0, 'g', 2)
                               .toStdString();
    return outcome;
}

void EditorListen::cancel() {
    if (!listening()) return;
    timer_.stop();
    input_->close();
    live_.reset();
}

bool EditorListen::takeSamples() {
    const audio::SoundInput::Taken taken = input_->take(samples_);
    dropped_ += taken.dropped;
    live_->feed(samples_.data(), samples_.size());
    return !taken.lost;
}

} // namespace korvel::qt
