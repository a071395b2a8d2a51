// Note palette: the list's buttons laid out by group, their presses to the core.
#include "host/qt/notePaletteView.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvel::qt {
namespace {

// Piano keys take two grid columns each, so a black key sits across the
// white keys on either side of it.
constexpr int keyColumns = 2;
constexpr int whiteKeys = 7;
// A button's height by the text's: comfortably clicked at every zoom.
constexpr double buttonHeightPerLine = 1.8;

const QColor blackKey{36, 36, 36};
const QColor blackKeyText{240, 240, 240};

QWidget* groupOf(const QString& name, QLayout* layout) {
    auto* group = new QWidget;
    group->setAccessibleName(name);
    layout->setContentsMargins(0, 0, 0, 0);
    group->setLayout(layout);
    return group;
}

template <typename Shown> QWidget* rowOf(const QString& name, const std::vector<Shown>& buttons) {
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    for (const auto& [button, shown] : buttons) row->addWidget(shown);
    return groupOf(name, row);
}

} // namespace

NotePaletteView::NotePaletteView(TuneEditor& editor, const QElapsedTimer& clock, QWidget& table,
                                 QWidget* parent)
    : QWidget(parent), editor_(editor), clock_(clock), octave_(new QLabel) {
    setObjectName("notePalette");
    setAccessibleName(tr("Note palette"));
    // A click here, on a button or between them, puts the keyboard in the table.
    setFocusPolicy(Qt::ClickFocus);
    setFocusProxy(&table);
    octave_->setObjectName("paletteOctave");
    octave_->setAlignment(Qt::AlignCenter);

    std::vector<Shown> notes, octaves, lengths, steps, play;
    for (const PaletteButton& button : notePalette()) {
        const Shown shown{&button, buttonFor(button)};
        switch (button.group) {
        case PaletteGroup::Piano:
            (button.control == PaletteControl::Note ? notes : octaves).push_back(shown);
            break;
        case PaletteGroup::Length: lengths.push_back(shown); break;
        case PaletteGroup::Step: steps.push_back(shown); break;
        case PaletteGroup::Play: play.push_back(shown); break;
        }
    }
    auto* lastRow = new QHBoxLayout;
    lastRow->setContentsMargins(0, 0, 0, 0);
    lastRow->addWidget(rowOf(tr("Steps"), steps), int(steps.size()));
    lastRow->addSpacing(8);
    lastRow->addWidget(rowOf(tr("Play"), play), int(play.size()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addWidget(pianoOf(notes, octaves));
    column->addWidget(rowOf(tr("Length"), lengths));
    column->addLayout(lastRow);
    fitButtons();
    showState();
}

QAbstractButton* NotePaletteView::buttonFor(const PaletteButton& button) {
    auto* shown = new QToolButton;
    shown->setText(QString::fromUtf8(button.label));
    shown->setAccessibleName(QString::fromUtf8(button.name));
    shown->setToolTip(
        tr("%1 (PC key: %2)").arg(QString::fromUtf8(button.name), QString::fromUtf8(button.key)));
    shown->setFocusPolicy(Qt::NoFocus);
    shown->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    if (button.black) {
        QPalette colours = shown->palette();
        colours.setColor(QPalette::Button, blackKey);
        colours.setColor(QPalette::ButtonText, blackKeyText);
        shown->setPalette(colours);
    }
    if (button.control == PaletteControl::Record) {
        shown->setCheckable(true);
        record_ = shown;
    }
    if (button.control == PaletteControl::Listen) {
        shown->setCheckable(true);
        listen_ = shown;
    }
    connect(shown, &QAbstractButton::pressed, this, [this, &button] {
        if (button.control == PaletteControl::Listen) {
            emit listenPressed();
            return;
        }
        if (button.control == PaletteControl::Stop && listening_) {
            emit listenCancelled();
            return;
        }
        editor_.palettePress(button, quint64(clock_.elapsed()));
        emit edited();
    });
    connect(shown, &QAbstractButton::released, this, [this, &button] {
        editor_.paletteRelease(button, quint64(clock_.elapsed()));
        emit edited();
    });
    return shown;
}

// The black keys in a row above the white ones, each across the two it lies
// between; the octave and its buttons beside them.
QWidget* NotePaletteView::pianoOf(const std::vector<Shown>& notes,
                                  const std::vector<Shown>& octaves) {
    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    int white = 0; // white keys placed so far
    for (const auto& [button, shown] : notes) {
        if (button->black)
            grid->addWidget(shown, 0, white * keyColumns - 1, 1, keyColumns);
        else
            grid->addWidget(shown, 1, white++ * keyColumns, 1, keyColumns);
    }
    for (int c = 0; c < whiteKeys * keyColumns; ++c) grid->setColumnStretch(c, 1);
    const int beside = whiteKeys * keyColumns + 1;
    grid->setColumnMinimumWidth(beside - 1, 8);
    grid->addWidget(octave_, 0, beside, 1, int(octaves.size()));
    for (size_t o = 0; o < octaves.size(); ++o)
        grid->addWidget(octaves[o].second, 1, beside + int(o));
    return groupOf(tr("Piano"), grid);
}

void NotePaletteView::showState() {
    octave_->setText(tr("Octave %1").arg(editor_.octave()));
    record_->setChecked(editor_.recording());
    listen_->setChecked(listening_);
}

void NotePaletteView::setListening(bool listening) {
    listening_ = listening;
    showState();
}

void NotePaletteView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) fitButtons();
}

void NotePaletteView::fitButtons() {
    const int height = qRound(fontMetrics().height() * buttonHeightPerLine);
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        button->setMinimumHeight(height);
}

} // namespace korvel::qt
