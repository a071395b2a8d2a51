// The Qt desktop edition: the window, a script named on the command line, and
// the sound's note reports wired to the player.
//
// For measuring start-up, KORVEL_FIRST_PAINT_EXIT set in the environment makes
// the program print the wall-clock time of the board's first paint
// ("first paint at N us", microseconds since the epoch) and quit.
#include "audio/deviceCapture.h"
#include "files/fileReplace.h"
#include "host/qt/kitSession.h"
#include "host/qt/mainWindow.h"
#include "host/qt/midiInput.h"
#include "host/qt/panel.h"
#include "host/qt/qtSound.h"
#include "host/qt/silentSound.h"
#include "host/qt/tuneEditorPanel.h"
#include "resources/version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QEvent>
#include <QFile>
#include <QIcon>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace {

// Prints once the first paint has gone through, then quits.
class FirstPaintExit final : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            QTimer::singleShot(0, this, [] {
                const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::system_clock::now().time_since_epoch());
                std::printf("first paint at %lld us\n", static_cast<long long>(now.count()));
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool painted_ = false;
};

// A pointer over the board or the window coming to the front means a key may
// follow: the released sound device reopens then, so the first note is not late.
class SoundWakeUp final : public QObject {
  public:
    SoundWakeUp(korvel::qt::QtSound& sound, QObject* parent) : QObject(parent), sound_(sound) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Enter || event->type() == QEvent::WindowActivate)
            sound_.prepare();
        return QObject::eventFilter(watched, event);
    }

  private:
    korvel::qt::QtSound& sound_;
};

} // namespace

int main(int argc, char* argv[]) {
    korvel::files::ignoreFileSizeSignal();
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KORVEL"));
    QApplication::setApplicationName(QStringLiteral("korvel"));
    QApplication::setApplicationVersion(QStringLiteral(KORVEL_VERSION));

    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral(":/icons/korvel-%1.png").arg(size);
        if (QFile::exists(file)) icon.addFile(file, QSize(size, size));
    }
    QApplication::setWindowIcon(icon);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulator of the KORVEL hobby computer kit"));
    parser.addHelpOption();
    // Qt's own version option would print the version alone, without the notice.
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version and licence information."));
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("script"),
                                 QStringLiteral("A .dat script to load at start."),
                                 QStringLiteral("[script]"));
    parser.process(application);
    if (parser.isSet(version)) {
        std::puts(KORVEL_VERSION_TEXT("korvel"));
        return 0;
    }

    // Opened only while the editor listens; it outlives the window.
    korvel::audio::DeviceCapture soundInput;
    // Without an audio device the kit runs silent, but tunes still step on.
    korvel::qt::QtSound deviceSound;
    korvel::qt::SilentSound silentSound;
    const bool audible = deviceSound.audioAvailable();
    if (!audible)
        qWarning("korvel: no sound (%s); playing silently", qPrintable(deviceSound.audioError()));
    korvel::qt::MainWindow window(audible ? static_cast<korvel::SessionSound&>(deviceSound)
                                          : silentSound);
    QObject::connect(&deviceSound, &korvel::qt::QtSound::melodyNoteEnded, &window.session(),
                     &korvel::qt::KitSession::onMelodyNoteEnded);
    QObject::connect(&silentSound, &korvel::qt::SilentSound::melodyNoteEnded, &window.session(),
                     &korvel::qt::KitSession::onMelodyNoteEnded);
    // A kit key in use means a note may follow: wake a released device early.
    QObject::connect(&window.session(), &korvel::qt::KitSession::keyHeldChanged, &deviceSound,
                     &korvel::qt::QtSound::prepare);
    // A MIDI keyboard plugged in means notes may follow.
    QObject::connect(&window.midiInput(), &korvel::qt::MidiInput::portOpened, &deviceSound,
                     &korvel::qt::QtSound::prepare);
    if (audible) {
        auto* wakeUp = new SoundWakeUp(deviceSound, &window);
        window.installEventFilter(wakeUp);
        window.panel().installEventFilter(wakeUp);
    } else {
        window.showNoSound(deviceSound.audioError());
    }
    if (qEnvironmentVariableIsSet("KORVEL_FIRST_PAINT_EXIT"))
        window.panel().installEventFilter(new FirstPaintExit(&window));
    window.tuneEditor().setSoundInput(&soundInput);
    window.show();
    const QStringList scripts = parser.positionalArguments();
    if (!scripts.isEmpty())
        QTimer::singleShot(0, &window,
                           [&window, path = scripts.first()] { window.loadFile(path); });
    return application.exec();
}
