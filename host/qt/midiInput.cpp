#include "host/qt/midiInput.h"

#include <QSettings>

#include <algorithm>
#include <chrono>

namespace korvel::qt {
namespace {

const char* const portSetting = "input/midiPort";

} // namespace

MidiInput::MidiInput(std::unique_ptr<midi::MidiDevices> devices, MidiKeyboard& keyboard,
                     std::function<uint64_t()> clock, QObject* parent)
    : QObject(parent), devices_(std::move(devices)), keyboard_(keyboard), clock_(std::move(clock)),
      choice_(QSettings().value(portSetting).toString().toStdString()) {
    pollTimer_.setInterval(pollMs);
    connect(&pollTimer_, &QTimer::timeout, this, &MidiInput::poll);
    pollTimer_.start();
    poll();
}

// The port's thread stops before the queue it fills goes.
MidiInput::~MidiInput() {
    devices_->close();
}

QString MidiInput::choose(const QString& port) {
    QSettings().setValue(portSetting, port);
    openError_.clear();
    follow(choice_.choose(port.toStdString()));
    emit statusChanged();
    return openError_;
}

// Listed every second but followed only when the list changes, so a port
// that would not open is tried again when something is plugged in or out,
// not every second.
void MidiInput::poll() {
    std::vector<std::string> ports = devices_->inputPorts();
    if (ports == choice_.ports()) return;
    openError_.clear();
    follow(choice_.follow(std::move(ports)));
    emit portsChanged();
    emit statusChanged();
}

QString MidiInput::statusText() const {
    // What just went wrong first, so that a long port name cannot hide it.
    QStringList parts;
    if (!openError_.isEmpty()) parts << openError_;
    for (const std::string& part : {keyboard_.message(), choice_.statusText()})
        if (!part.empty()) parts << QString::fromStdString(part);
    return parts.join(QStringLiteral("  "));
}

// What bytes were on their way when the port closed are played before the
// organ falls silent.
void MidiInput::follow(const MidiPortStep& step) {
    if (!step.close.empty()) {
        devices_->close();
        take();
        keyboard_.portGone(clock_());
    }
    if (step.open.empty()) return;
    const std::string error = devices_->open(step.open, [this](const uint8_t* bytes, size_t count) {
        if (queue_.push(bytes, count))
            QMetaObject::invokeMethod(this, &MidiInput::take, Qt::QueuedConnection);
    });
    openError_ = QString::fromStdString(error);
    if (error.empty())
        emit portOpened();
    else
        choice_.openFailed();
}

// Each message is timed by when it arrived, not when this thread got to it,
// so a busy window still records a note's length as it was played.
void MidiInput::take() {
    queue_.takeAll(taken_);
    if (taken_.messages.empty()) return;
    const auto now = std::chrono::steady_clock::now();
    const uint64_t nowMs = clock_();
    const std::string before = keyboard_.message();
    size_t begin = 0;
    for (const midi::MidiArrivals::Message& message : taken_.messages) {
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - message.arrived).count();
        const uint64_t arrivedMs = nowMs - std::min<uint64_t>(nowMs, uint64_t(waited));
        keyboard_.receive(taken_.bytes.data() + begin, message.end - begin, arrivedMs);
        begin = message.end;
    }
    emit played();
    if (keyboard_.message() != before) emit statusChanged();
}

} // namespace korvel::qt
