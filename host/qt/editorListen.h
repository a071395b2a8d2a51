// Listen in the desktop's tune editor: the sound input is open only while
// Listen is on; a GUI timer takes what it captured about 30 times a second and
// feeds it to a LiveListen (frontend/listen/liveListen.h), whose line the view
// redraws on heard(). stop() writes what was heard at the cursor's row;
// cancel(), or this object going, drops it. Either closes the input.
#pragma once

#include "audio/soundInput.h"
#include "frontend/listen/liveListen.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>
#include <vector>

namespace korvel::qt {

class EditorListen final : public QObject {
    Q_OBJECT

  public:
    static constexpr int frameMs = 33;

    explicit EditorListen(TuneEditor& editor, QObject* parent = nullptr);
    ~EditorListen() override;

    // The input Listen opens; none: Listen says there is no sound input.
    void setInput(audio::SoundInput* input) { input_ = input; }
    bool listening() const { return live_.has_value(); }
    // While listening.
    const LiveListen& live() const { return *live_; }

    // Opens the input and listens: empty, or why it could not, for the user.
    QString start();
    // Writes what was heard; the outcome says what, or why nothing.
    ListenOutcome stop();
    // Nothing is written.
    void cancel();

  signals:
    // More was heard: the pitch line moved.
    void heard();
    // The input went away while listening; the owner stops, keeping what was heard.
    void inputLost();

  private:
    // Feeds what was captured; false when the input went away.
    bool takeSamples();

    TuneEditor& editor_;
    audio::SoundInput* input_ = nullptr;
    std::optional<LiveListen> live_;
    QTimer timer_;
    std::vector<float> samples_;
    size_t dropped_ = 0; // samples the taker fell behind by, this time
};

} // namespace korvel::qt
