// The Qt desktop edition: the window, a script named on the command line, and
// the sound's note reports wired to the player.
#include "mainWindow.h"
#include "qtSound.h"
#include "silentSound.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QIcon>
#include <QTimer>

int main(int argc, char* argv[]) {
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
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("script"),
                                 QStringLiteral("A .dat script to load at start."),
                                 QStringLiteral("[script]"));
    parser.process(application);

    // Without an audio device the kit runs silent, but tunes still step on.
    korvel::qt::QtSound deviceSound;
    korvel::qt::SilentSound silentSound;
    const bool audible = deviceSound.audioAvailable();
    if (!audible)
        qWarning("korvel: no sound (%s); playing silently", qPrintable(deviceSound.audioError()));
    korvel::qt::MainWindow window(audible ? static_cast<korvel::SoundPort&>(deviceSound)
                                          : silentSound);
    QObject::connect(&deviceSound, &korvel::qt::QtSound::melodyNoteDone, &window,
                     &korvel::qt::MainWindow::onMelodyNoteDone);
    QObject::connect(&silentSound, &korvel::qt::SilentSound::melodyNoteDone, &window,
                     &korvel::qt::MainWindow::onMelodyNoteDone);
    window.show();
    const QStringList scripts = parser.positionalArguments();
    if (!scripts.isEmpty())
        QTimer::singleShot(0, &window,
                           [&window, path = scripts.first()] { window.loadFile(path); });
    return application.exec();
}
