#include "host/qt/midiInput.h"

#include <QSettings>

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

void MidiInput::take() {
    queue_.takeAll(taken_);
    if (taken_.empty()) return;
    const std::string before = keyboard_.message();
    keyboard_.receive(taken_.data(), taken_.size(), clock_());
    emit played();
    if (keyboard_.message() != before) emit statusChanged();
}

} // namespace korvel::qt
