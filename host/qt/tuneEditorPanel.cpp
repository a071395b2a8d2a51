// Tune editor panel: its controls, its actions and the repaints they need.
#include "host/qt/tuneEditorPanel.h"

#include "frontend/commands/tuneImporting.h"
#include "frontend/editor/tuneSettings.h"
#include "host/qt/importDialog.h"
#include "host/qt/kitSession.h"
#include "host/qt/notePaletteView.h"
#include "host/qt/pitchLineView.h"
#include "host/qt/tuneTableView.h"
#include "host/qt/zoomedFont.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QShowEvent>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

namespace korvel::qt {
namespace {

constexpr int checkRows = 3; // the checks list's height; a tune rarely has more
constexpr int hexBase = 16;

// A setting in hex digits as the kit shows them: upper case, as many as the largest value has.
class HexSpinBox final : public QSpinBox {
  public:
    explicit HexSpinBox(TuneSetting setting) : setting_(setting) {}

  protected:
    QString textFromValue(int value) const override {
        return QString::fromStdString(tuneSettingText(setting_, uint32_t(value)));
    }

  private:
    TuneSetting setting_;
};

QSpinBox* hexSpinBox(TuneSetting setting, const QString& name) {
    const TuneSettingField& field = tuneSettingField(setting);
    auto* box = new HexSpinBox(setting);
    box->setDisplayIntegerBase(hexBase);
    box->setRange(0, int(field.largest));
    box->setKeyboardTracking(false); // one change (and one undo step) per value entered
    box->setObjectName(name);
    box->setToolTip(QString::fromUtf8(field.tip));
    return box;
}

QLabel* labelFor(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

// The way an event says the person works: a mouse press from a touch screen is a tap.
std::optional<InputWay> inputWayOf(const QEvent& event) {
    switch (event.type()) {
    case QEvent::KeyPress: return InputWay::Keyboard;
    case QEvent::TouchBegin: return InputWay::Touch;
    case QEvent::MouseButtonPress: {
        const QPointingDevice* device = static_cast<const QMouseEvent&>(event).pointingDevice();
        const bool touch = device && device->type() == QInputDevice::DeviceType::TouchScreen;
        return touch ? InputWay::Touch : InputWay::Mouse;
    }
    default: return std::nullopt;
    }
}

} // namespace

TuneEditorPanel::TuneEditorPanel(KitSession& session, QWidget* parent)
    : QWidget(parent), session_(session), editor_(session.core()),
      startAddress_(hexSpinBox(TuneSetting::StartAddress, "startAddress")),
      tempo_(hexSpinBox(TuneSetting::Tempo, "tempo")), octave_(new QSpinBox),
      keyboardOwner_(new QLabel), checksTitle_(new QLabel), checks_(new QListWidget),
      message_(new QLabel) {
    clock_.start();
    table_ = new TuneTableView(editor_, clock_);
    palette_ = new NotePaletteView(editor_, clock_, *table_);
    octave_->setRange(lowestPianoOctave, highestPianoOctave);
    octave_->setObjectName("octave");
    octave_->setToolTip(tr("The piano keys' octave: Z plays its C (- and = in the note column)"));
    keyboardOwner_->setObjectName("keyboardOwner");
    keyboardOwner_->setWordWrap(true);
    checksTitle_->setText(tr("Checks (click one to go to its row):"));
    checks_->setObjectName("checks");
    fitChecksList();
    message_->setObjectName("editorMessage");
    message_->setWordWrap(true);
    // By palette, not style sheet, so that the zoomed font still reaches it.
    QPalette warning = message_->palette();
    warning.setColor(QPalette::WindowText, QColor(0xa0, 0x18, 0x10));
    message_->setPalette(warning);
    listenSign_ = new QLabel(tr("● Listening: F7 or Listen again writes what was heard from the "
                                "selected row, Esc drops it."));
    listenSign_->setWordWrap(true);
    listenSign_->setObjectName("listenSign");
    listenSign_->setToolTip(tr("The microphone is on while Listen is. What it hears stays on "
                               "this computer."));
    QPalette sign = listenSign_->palette();
    sign.setColor(QPalette::WindowText, QColor(0xd0, 0x10, 0x10));
    listenSign_->setPalette(sign);
    pitchLine_ = new PitchLineView;
    pitchLine_->setToolTip(listenSign_->toolTip());
    listenStrip_ = new QWidget;
    auto* strip = new QVBoxLayout(listenStrip_);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->addWidget(listenSign_);
    strip->addWidget(pitchLine_);
    listenStrip_->hide();
    listenOutcome_ = new QLabel;
    listenOutcome_->setObjectName("listenOutcome");
    listenOutcome_->setWordWrap(true);
    listenOutcome_->hide();

    undo_ = addAction(tr("&Undo"), QKeySequence::Undo, "undo");
    redo_ = addAction(tr("&Redo"), QKeySequence(), "redo");
    redo_->setShortcuts({QKeySequence(tr("Ctrl+Shift+Z")), QKeySequence(tr("Ctrl+Y"))});
    cut_ = addAction(tr("Cu&t Rows"), QKeySequence::Cut, "cutRows");
    copy_ = addAction(tr("C&opy Rows"), QKeySequence::Copy, "copyRows");
    paste_ = addAction(tr("Pa&ste Rows"), QKeySequence::Paste, "pasteRows");
    record_ = addAction(tr("Re&cord"), QKeySequence(tr("F6")), "record");
    record_->setCheckable(true);
    record_->setToolTip(tr("Record (F6): notes played become steps from the selected row"));
    playFromRow_ = addAction(tr("Play from Ro&w"), QKeySequence(tr("F5")), "playFromRow");
    playFromRow_->setToolTip(tr("Play from the selected row (F5, or Enter in the table)"));
    paletteShown_ = addAction(tr("Note &Palette"), QKeySequence(), "notePaletteShown");
    paletteShown_->setCheckable(true);
    paletteShown_->setChecked(true);
    connect(paletteShown_, &QAction::toggled, palette_, &QWidget::setVisible);
    listen_ = addAction(tr("&Listen"), QKeySequence(tr("F7")), "listen");
    listen_->setCheckable(true);
    listen_->setToolTip(tr("Listen (F7): sing, whistle or play a tune; Listen again writes it "
                           "from the selected row, Esc drops it. The microphone is on only while "
                           "listening, and what it hears stays on this computer."));
    listen_->setEnabled(false); // until the panel shows
    connect(listen_, &QAction::triggered, this, &TuneEditorPanel::toggleListen);
    connect(palette_, &NotePaletteView::listenPressed, this, &TuneEditorPanel::toggleListen);
    connect(palette_, &NotePaletteView::listenCancelled, this, &TuneEditorPanel::cancelListen);
    connect(&listening_, &EditorListen::heard, this, &TuneEditorPanel::showHeard);
    connect(&listening_, &EditorListen::inputLost, this,
            [this] { stopListening(tr("The sound input went away.")); });
    record_->setEnabled(false); // until the panel shows
    playFromRow_->setEnabled(false);
    connect(undo_, &QAction::triggered, this, [this] { editor_.undo(), refresh(); });
    connect(redo_, &QAction::triggered, this, [this] { editor_.redo(), refresh(); });
    connect(cut_, &QAction::triggered, this, [this] {
        clipboardCommand({true, editor_.cut(), false});
    });
    connect(copy_, &QAction::triggered, this, [this] {
        clipboardCommand({true, editor_.copy(), false});
    });
    connect(paste_, &QAction::triggered, this, [this] { clipboardCommand({true, {}, true}); });
    connect(record_, &QAction::triggered, this, [this](bool on) {
        editor_.setRecording(on, quint64(clock_.elapsed()));
        refresh();
    });
    connect(playFromRow_, &QAction::triggered, this, [this] { editor_.playFromCursor(); });

    connect(startAddress_, &QSpinBox::valueChanged, this, [this](int address) {
        editor_.setStartAddress(uint32_t(address));
        refresh();
    });
    connect(tempo_, &QSpinBox::valueChanged, this, [this](int tempo) {
        editor_.setTempo(uint32_t(tempo));
        refresh();
    });
    connect(octave_, &QSpinBox::valueChanged, this,
            [this](int octave) { editor_.setOctave(octave); });
    connect(table_, &TuneTableView::edited, this, &TuneEditorPanel::refresh);
    connect(palette_, &NotePaletteView::edited, this, [this] {
        table_->showEdit();
        refresh();
    });
    connect(checks_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        editor_.select(item->data(Qt::UserRole).toUInt(), editor_.column(), false);
        table_->setFocus(Qt::OtherFocusReason);
        table_->showEdit();
    });
    connect(qApp, &QApplication::focusChanged, this, &TuneEditorPanel::showHint);
    qApp->installEventFilter(this);
    // Kit keys (the keypad's WRITE, the organ while recording) change the tune too.
    // The look comes once the call into the session has returned: inside it
    // the kit may be halfway (play from a row lends the start address).
    connect(&session, &KitSession::keyHeldChanged, this, [this](KeyId key) {
        editor_.kitKey(key, session_.isHeld(key), quint64(clock_.elapsed()));
        QMetaObject::invokeMethod(this, &TuneEditorPanel::refresh, Qt::QueuedConnection);
    });
    connect(&session, &KitSession::ledChanged, this, &TuneEditorPanel::refresh,
            Qt::QueuedConnection);
    connect(&session, &KitSession::stepChanged, this, &TuneEditorPanel::showSounding);

    auto* recordButton = new QToolButton;
    recordButton->setDefaultAction(record_);
    auto* playButton = new QToolButton;
    playButton->setDefaultAction(playFromRow_);
    auto* settings = new QHBoxLayout;
    settings->addWidget(labelFor(tr("&Start"), startAddress_));
    settings->addWidget(startAddress_);
    settings->addWidget(labelFor(tr("Te&mpo"), tempo_));
    settings->addWidget(tempo_);
    settings->addWidget(labelFor(tr("Oc&tave"), octave_));
    settings->addWidget(octave_);
    settings->addStretch(1);
    settings->addWidget(recordButton);
    settings->addWidget(playButton);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->addLayout(settings);
    column->addWidget(keyboardOwner_);
    column->addWidget(listenStrip_);
    column->addWidget(listenOutcome_);
    column->addWidget(table_, 1);
    column->addWidget(palette_);
    column->addWidget(checksTitle_);
    column->addWidget(checks_);
    column->addWidget(message_);
    setFocusProxy(table_);
    shown_.revision = editor_.revision() - 1; // shown at once
    refresh();
}

// Focus moves while the widgets go: no word of it may reach the half-destroyed panel.
TuneEditorPanel::~TuneEditorPanel() {
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
}

QAction* TuneEditorPanel::addAction(const QString& text, const QKeySequence& keys,
                                    const char* name) {
    auto* action = new QAction(text, this);
    action->setShortcut(keys);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void TuneEditorPanel::keyPressEvent(QKeyEvent* event) {
    event->accept();
}

void TuneEditorPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    record_->setEnabled(true);
    playFromRow_->setEnabled(true);
    listen_->setEnabled(true);
}

void TuneEditorPanel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous()) return; // the window minimised: the panel stays open
    if (editor_.recording()) editor_.setRecording(false, quint64(clock_.elapsed()));
    cancelListen();
    record_->setEnabled(false);
    playFromRow_->setEnabled(false);
    listen_->setEnabled(false);
    refresh();
}

bool TuneEditorPanel::eventFilter(QObject* watched, QEvent* event) {
    if (listening_.listening() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == window()) {
        cancelListen();
        return true;
    }
    if (const std::optional<InputWay> way = inputWayOf(*event); way && *way != way_) {
        way_ = *way;
        showHint();
    }
    return QWidget::eventFilter(watched, event);
}

void TuneEditorPanel::setZoomPercent(int percent) {
    setFont(zoomedFont(QApplication::font(), percent));
    table_->setZoomPercent(percent);
    fitChecksList();
}

void TuneEditorPanel::fitChecksList() {
    checks_->setFixedHeight(checks_->fontMetrics().height() * checkRows +
                            2 * checks_->frameWidth());
}

bool TuneEditorPanel::editing() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus && isVisible() && isAncestorOf(focus);
}

void TuneEditorPanel::clipboardCommand(EditorResult result) {
    table_->applyClipboard(result);
    table_->showEdit();
    refresh();
}

void TuneEditorPanel::refresh() {
    editor_.sync();
    // A play ends with no step of its own (STOP, Reset): its mark goes with the look that follows.
    table_->showSounding();
    message_->setText(QString::fromStdString(editor_.message()));
    record_->setChecked(editor_.recording());
    palette_->showState();
    showHint();
    octave_->blockSignals(true);
    octave_->setValue(editor_.octave());
    octave_->blockSignals(false);
    if (editor_.revision() != outcomeRevision_) listenOutcome_->hide();
    undo_->setEnabled(editor_.canUndo());
    redo_->setEnabled(editor_.canRedo());
    const Shown now{editor_.revision(), editor_.cursorRow(), editor_.selection().first,
                    editor_.selection().last, editor_.column()};
    if (now == shown_) return;
    table_->viewport()->update();
    const bool rowsChanged = now.revision != shown_.revision;
    shown_ = now;
    if (!rowsChanged) return;
    const KitState& kit = session_.kit();
    for (auto [box, value] : {std::pair{startAddress_, kit.startAddress}, {tempo_, kit.tempo}}) {
        box->blockSignals(true);
        box->setValue(int(value));
        box->blockSignals(false);
    }
    showChecks();
    emit tuneChanged();
}

void TuneEditorPanel::showSounding() {
    if (isVisible()) table_->showSounding();
}

void TuneEditorPanel::showChecks() {
    checks_->clear();
    for (const TuneCheck& check : editor_.checks()) {
        auto* item = new QListWidgetItem(QString::fromStdString(check.text), checks_);
        item->setData(Qt::UserRole, check.row);
    }
    // Nothing to say while none fails, so a fresh editor is calm.
    checksTitle_->setVisible(!editor_.checks().empty());
    checks_->setVisible(!editor_.checks().empty());
}

void TuneEditorPanel::showHint() {
    keyboardOwner_->setText(QString::fromStdString(editorHint(
        Edition::Desktop, way_, table_->hasFocus(), editor_.recording(), editor_.octave())));
    const bool now = editing();
    cut_->setEnabled(now);
    copy_->setEnabled(now);
    paste_->setEnabled(now);
    if (now == editingShown_) return;
    editingShown_ = now;
    emit editingChanged(now);
}

QString TuneEditorPanel::listenOutcome() const {
    return listenOutcome_->isVisible() ? listenOutcome_->text() : QString();
}

void TuneEditorPanel::toggleListen() {
    if (listening_.listening()) return stopListening({});
    // The microphone would hear them.
    editor_.setRecording(false, quint64(clock_.elapsed()));
    if (session_.kit().mode == KitMode::Playing) {
        session_.hold(KeyId::Stop);
        session_.letGo(KeyId::Stop);
    }
    const QString refused = listening_.start();
    showListening();
    refresh();
    if (!refused.isEmpty()) showListenOutcome(refused, {});
}

void TuneEditorPanel::stopListening(const QString& why) {
    const ListenOutcome outcome = listening_.stop();
    showListening();
    refresh();
    const QString message = QString::fromStdString(outcome.message);
    showListenOutcome(why.isEmpty() ? message : why + ' ' + message, outcome.report);
    if (outcome.written) table_->showEdit();
}

void TuneEditorPanel::cancelListen() {
    if (!listening_.listening()) return;
    listening_.cancel();
    showListening();
    showListenOutcome(tr("Listen cancelled: nothing written."), {});
}

void TuneEditorPanel::showListening() {
    const bool on = listening_.listening();
    listen_->setChecked(on);
    palette_->setListening(on);
    listenStrip_->setVisible(on);
    if (!on) return;
    listenOutcome_->hide();
    showHeard();
}

void TuneEditorPanel::showHeard() {
    pitchLine_->showTrace(listening_.live().trace(),
                          QString::fromStdString(listening_.live().heardText()));
}

void TuneEditorPanel::showListenOutcome(const QString& message,
                                        const std::vector<formats::ReportRow>& report) {
    listenOutcome_->setText(message);
    listenOutcome_->setToolTip(report.empty() ? QString() : importReportHtml({{}, report}));
    listenOutcome_->show();
    outcomeRevision_ = editor_.revision();
}

} // namespace korvel::qt
