// The one kit of a window and everything that reaches it: the key holds of
// the mouse and the PC keyboard, the clock's timer, the melody's next step,
// reset and the script files. Widgets watch its signals to repaint.
//
// A kit key is down while any source holds it; STOP and Reset let go of the
// other held keys first (keyHolds.h).
#pragma once

#include "clockCatchUp.h"
#include "keyHolds.h"
#include "kit.h"
#include "melody.h"
#include "scriptFile.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

namespace korvel::qt {

class KitSession final : public QObject, public RepaintPort, private StepObserver {
    Q_OBJECT

  public:
    explicit KitSession(SoundPort& sound, QObject* parent = nullptr);

    const KitState& kit() const { return kit_; }
    // The note or rest sounding, while Playing.
    const MelodyStep* soundingStep() const;

    void hold(KeyId key);
    void letGo(KeyId key);
    // Lets go of every held key, so no organ note hangs when input goes elsewhere.
    void letGoAll();
    bool isHeld(KeyId key) const;

    // Lets go of every held key, then resets the kit.
    void reset();
    FileResult loadFile(const QString& path);
    FileResult loadText(const QByteArray& text);
    FileResult saveFile(const QString& path);
    // The same 932 bytes Save writes.
    QByteArray scriptBytes() const;

  public slots:
    // The sound's report that the melody's note ended by itself.
    void onMelodyNoteDone();
    // Brings the clock up to the time elapsed, sleep included; the window's timer calls it.
    void catchUp();

  signals:
    void ledChanged();
    void colonChanged();
    void stepChanged();
    void keyHeldChanged(korvel::KeyId key);
    void allLetGo();

  private:
    void requestLedRepaint() override;
    void requestColonRepaint() override;
    void stepExamined(const MelodyStep& step, StepKind kind, bool followed) override;
    KitPorts ports() { return {sound_, *this}; }
    void released(KeyId key);
    FileResult loaded(FileResult result);

    SoundPort& sound_;
    KitState kit_{};
    ClockCatchUp catchUp_{};
    QTimer clockTimer_;
    KeyHolds holds_;
    std::optional<MelodyStep> sounding_;
};

} // namespace korvel::qt
