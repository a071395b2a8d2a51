// The window's kit session (session.h) in Qt's terms: signals for the widgets
// that show it, the clock's timer, the sound's reports as a slot, and script
// files by path.
#pragma once

#include "files/scriptFile.h"
#include "frontend/session/session.h"
#include "model/kit.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <string>

namespace korvel::qt {

class KitSession final : public QObject, private SessionView {
    Q_OBJECT

  public:
    explicit KitSession(SessionSound& sound, QObject* parent = nullptr);

    const KitState& kit() const { return session_.kit(); }
    // The note or rest sounding, while Playing.
    const MelodyStep* soundingStep() const { return session_.soundingStep(); }

    void hold(KeyId key) { session_.hold(key); }
    void letGo(KeyId key) { session_.letGo(key); }
    bool isHeld(KeyId key) const { return session_.isHeld(key); }
    void reset() { session_.reset(); }
    // Load, Paste Tune, an example and an import replace the tune in memory (replaceTune).
    FileResult loadFile(const QString& path);
    FileResult loadText(const QByteArray& text);
    // A script's bytes from elsewhere (an example, an import) under name.
    FileResult loadScript(const QByteArray& bytes, const QString& name);
    // Writes the whole tune (memory, start address and tempo) as a script named title.
    FileResult saveFile(const QString& path, const std::string& title);
    // The same script Save writes.
    QByteArray scriptBytes(const std::string& title) const;
    // The platform-free session, for the tune editor.
    Session& core() { return session_; }

  public slots:
    // Lets go of every held key, so no organ note hangs when input goes elsewhere.
    void letGoAll() { session_.letGoAll(); }
    // The sound's report that a melody note ended by itself.
    void onMelodyNoteEnded(quint64 tag);
    // Brings the clock up to the time elapsed, sleep included; the window's timer calls it.
    void catchUp();

  signals:
    void ledChanged();
    void colonChanged();
    void stepChanged();
    void keyHeldChanged(korvel::KeyId key);
    void allLetGo();

  private:
    void showLed() override { emit ledChanged(); }
    void showColon() override { emit colonChanged(); }
    void showStep() override { emit stepChanged(); }
    void showKeyHeld(KeyId key) override { emit keyHeldChanged(key); }
    void forgetHolds() override { emit allLetGo(); }

    Session session_;
    QTimer clockTimer_;
};

} // namespace korvel::qt
