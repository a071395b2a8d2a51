// The MIDI keyboard reaching the kit: the port chosen (midiPortChoice.h) and
// remembered in the settings, the ports listed every second (the MIDI library
// cannot say when they change) and followed as keyboards come and go, and
// each port's bytes brought to the GUI thread as soon as they arrive, for
// the one MidiKeyboard (midiKeyboard.h).
#pragma once

#include "frontend/editor/midiKeyboard.h"
#include "frontend/input/midiPortChoice.h"
#include "midi/midiByteQueue.h"
#include "midi/midiDevices.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

namespace korvel::qt {

class MidiInput final : public QObject {
    Q_OBJECT

  public:
    // clock: the tune editor's milliseconds, so notes record in time with
    // its other keys. The port remembered is opened as soon as it is present.
    MidiInput(std::unique_ptr<midi::MidiDevices> devices, MidiKeyboard& keyboard,
              std::function<uint64_t()> clock, QObject* parent = nullptr);
    ~MidiInput() override;

    const MidiPortChoice& choice() const { return choice_; }
    // The player's choice from ports(), or empty for none; remembered. Why
    // the port did not open, or empty.
    QString choose(const QString& port);
    // What the status line shows: the port, and why a key did not sound or a
    // port did not open.
    QString statusText() const;

    static constexpr int pollMs = 1000;

  public slots:
    // Lists the ports and follows any change; the timer calls it.
    void poll();

  signals:
    void portsChanged();
    void statusChanged();
    // The keyboard took bytes: the tune may have a new step.
    void played();
    void portOpened();

  private:
    void follow(const MidiPortStep& step);
    void take();

    std::unique_ptr<midi::MidiDevices> devices_;
    MidiKeyboard& keyboard_;
    std::function<uint64_t()> clock_;
    MidiPortChoice choice_;
    midi::MidiByteQueue queue_;
    midi::MidiArrivals taken_;
    QString openError_;
    QTimer pollTimer_;
};

} // namespace korvel::qt
