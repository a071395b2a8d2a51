// Kit session: the clock's counter and timer, reports and script files.
#include "host/qt/kitSession.h"

#include "frontend/editor/tuneScript.h"
#include "host/qt/tuneTools.h"

#include <QTime>

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

namespace korvel::qt {
namespace {

// Milliseconds from some fixed moment, counting while the machine sleeps: a
// monotonic clock that stops then would leave the kit's clock behind by the
// time asleep.
uint64_t millisecondsIncludingSleep() {
#ifdef _WIN32
    return GetTickCount64();
#else
#ifdef CLOCK_BOOTTIME
    const clockid_t counter = CLOCK_BOOTTIME;
#else
    const clockid_t counter = CLOCK_MONOTONIC;
#endif
    timespec now{};
    clock_gettime(counter, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000000u;
#endif
}

} // namespace

KitSession::KitSession(SessionSound& sound, QObject* parent)
    : QObject(parent), session_(sound, *this) {
    const QTime now = QTime::currentTime();
    session_.start({static_cast<unsigned>(now.hour()), static_cast<unsigned>(now.minute()),
                    static_cast<unsigned>(now.second()), static_cast<unsigned>(now.msec())},
                   millisecondsIncludingSleep());
    clockTimer_.setInterval(static_cast<int>(clockTickMilliseconds));
    connect(&clockTimer_, &QTimer::timeout, this, &KitSession::catchUp);
    clockTimer_.start();
}

FileResult KitSession::loadFile(const QString& path) {
    return session_.change([&](KitState& kit) { return replaceTuneFile(kit, filePath(path)); });
}

FileResult KitSession::loadText(const QByteArray& text) {
    return session_.loadScript(text.constData(), static_cast<size_t>(text.size()), "Clipboard",
                               TuneOrigin::Clipboard);
}

FileResult KitSession::loadScript(const QByteArray& bytes, const QString& name) {
    return session_.loadScript(bytes.constData(), static_cast<size_t>(bytes.size()),
                               name.toStdString());
}

FileResult KitSession::saveFile(const QString& path, const std::string& title) {
    return saveScriptText(wholeTuneScript(session_.kit(), title), filePath(path));
}

QByteArray KitSession::scriptBytes(const std::string& title) const {
    return QByteArray::fromStdString(wholeTuneScript(session_.kit(), title));
}

void KitSession::onMelodyNoteEnded(quint64 tag) {
    session_.noteReport(tag);
    session_.answerReports();
}

void KitSession::catchUp() {
    session_.catchUp(millisecondsIncludingSleep());
}

} // namespace korvel::qt
