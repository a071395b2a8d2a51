// Step table widget: painting, scrolling, and the mouse and keys to the core.
#include "host/qt/tuneTableView.h"

#include "frontend/input/pcKeys.h"
#include "host/qt/editorKeys.h"
#include "host/qt/tuneColours.h"
#include "host/qt/zoomedFont.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace korvel::qt {
namespace {

// The widest text each column shows, by TuneColumn.
constexpr std::array<int, tuneColumnCount> columnCharacters = {4, 4, 7, 11, 9, 12, 4};
constexpr int barCharacters = 6; // the longest length's bar, beside the length's text
constexpr int cellPadding = 16;  // two characters, so the titles stand apart
constexpr int rowPadding = 5;
constexpr int sizeHintRows = 17; // a tune's phrase or two

QFont tableFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    return font;
}

} // namespace

// The column titles, above the rows and not scrolled with them.
class TuneTableView::Header final : public QWidget {
  public:
    explicit Header(TuneTableView& table) : QWidget(&table), table_(table) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), tuneColours::header);
        painter.setPen(tuneColours::text);
        painter.setFont(font());
        for (size_t c = 0; c < tuneColumnCount; ++c)
            painter.drawText(QRect(table_.columnLeft_[c] + cellPadding / 2, 0,
                                   table_.columnLeft_[c + 1] - table_.columnLeft_[c], height()),
                             Qt::AlignVCenter | Qt::AlignLeft, tuneColumnTitle(TuneColumn(c)));
    }

  private:
    TuneTableView& table_;
};

TuneTableView::TuneTableView(TuneEditor& editor, const QElapsedTimer& clock, QWidget* parent)
    : QAbstractScrollArea(parent), editor_(editor), clock_(clock), header_(new Header(*this)) {
    setFont(tableFont());
    header_->setFont(font());
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    setAccessibleName(tr("Tune steps"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, tuneColours::background);
    colours.setColor(QPalette::Window, tuneColours::background);
    setPalette(colours);
    viewport()->setAutoFillBackground(false);
    layoutColumns();
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { editor_.userScrolled(quint64(clock_.elapsed())); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(),
            qOverload<>(&QWidget::update));
}

void TuneTableView::setZoomPercent(int percent) {
    setFont(zoomedFont(tableFont(), percent));
    header_->setFont(font());
    layoutColumns();
    placeHeader();
    updateScrollRange();
    updateGeometry();
    viewport()->update();
}

int TuneTableView::rowHeight() const {
    return fontMetrics().height() + rowPadding;
}

QRect TuneTableView::cellRect(uint32_t row, TuneColumn column) const {
    const size_t c = size_t(column);
    return QRect(columnLeft_[c], (int(row) - verticalScrollBar()->value()) * rowHeight(),
                 columnLeft_[c + 1] - columnLeft_[c], rowHeight());
}

void TuneTableView::layoutColumns() {
    const int character = fontMetrics().horizontalAdvance('0');
    barWidth_ = barCharacters * character;
    int x = 0;
    for (size_t c = 0; c < tuneColumnCount; ++c) {
        columnLeft_[c] = x;
        x += columnCharacters[c] * character + cellPadding +
             (c == size_t(TuneColumn::Length) ? barWidth_ : 0);
    }
    columnLeft_[tuneColumnCount] = x;
    setViewportMargins(0, rowHeight(), 0, 0);
    // Every column whole: the table never scrolls sideways.
    setMinimumWidth(x + verticalScrollBar()->sizeHint().width() + 2 * frameWidth());
}

QSize TuneTableView::sizeHint() const {
    return {minimumWidth(), rowHeight() * sizeHintRows};
}

void TuneTableView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    placeHeader();
    updateScrollRange();
}

void TuneTableView::placeHeader() {
    const QRect inside = contentsRect();
    header_->setGeometry(inside.left(), inside.top(), inside.width(), rowHeight());
}

void TuneTableView::updateScrollRange() {
    const int page = std::max(1, viewport()->height() / rowHeight());
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setRange(0, std::max(0, int(tuneRowCount) - page));
}

void TuneTableView::scrollTo(uint32_t row, int margin) {
    QScrollBar& bar = *verticalScrollBar();
    margin = std::min(margin, (bar.pageStep() - 1) / 2);
    const int first = bar.value() + margin;
    const int last = bar.value() + bar.pageStep() - 1 - margin;
    if (int(row) < first) bar.setValue(int(row) - margin);
    if (int(row) > last) bar.setValue(int(row) - bar.pageStep() + 1 + margin);
}

void TuneTableView::showEdit() {
    scrollTo(editor_.cursorRow());
    viewport()->update();
}

// Only the two rows whose colours change are repainted, unless the table
// scrolled: a playing tune then costs little more than the board alone.
void TuneTableView::showSounding() {
    const std::optional<uint32_t> row = editor_.soundingRow();
    if (row == soundingShown_) return;
    const std::optional<uint32_t> was = std::exchange(soundingShown_, row);
    if (row && editor_.followsSounding(quint64(clock_.elapsed())))
        scrollTo(*row, soundingMarginRows); // a scroll repaints the whole view
    for (const std::optional<uint32_t>& changed : {was, row})
        if (changed) updateRow(*changed);
}

void TuneTableView::updateRow(uint32_t row) {
    const int height = rowHeight();
    viewport()->update(0, (int(row) - verticalScrollBar()->value()) * height, viewport()->width(),
                       height);
}

void TuneTableView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), tuneColours::background);
    const int height = rowHeight();
    const int first = verticalScrollBar()->value() + event->rect().top() / height;
    const int last =
        std::min<int>(lastTuneRow, verticalScrollBar()->value() + event->rect().bottom() / height);
    const RowRange selected = editor_.selection();
    for (int r = first; r <= last; ++r) {
        const uint32_t row = uint32_t(r);
        paintRow(painter, editor_.rows()[row], (r - verticalScrollBar()->value()) * height,
                 row >= selected.first && row <= selected.last);
    }
    if (hasFocus()) {
        painter.setPen(QPen(tuneColours::focusFrame, 2));
        painter.drawRect(viewport()->rect().adjusted(1, 1, -1, -1));
    }
}

void TuneTableView::paintRow(QPainter& painter, const TuneRow& row, int y, bool selected) const {
    const int height = rowHeight();
    const uint32_t index = rowOf(row.address);
    const bool sounding = soundingShown_ == index;
    const QRect line(0, y, columnLeft_[tuneColumnCount], height);
    if (sounding)
        painter.fillRect(line, tuneColours::sounding);
    else if (selected)
        painter.fillRect(line, tuneColours::selection);
    painter.setPen(sounding                    ? tuneColours::soundingText
                   : row.reached && !row.blank ? tuneColours::text
                                               : tuneColours::unreached);
    for (size_t c = 0; c < tuneColumnCount; ++c) {
        // A text runs on over the empty cells after it: a setting's words.
        size_t end = c + 1;
        while (end < tuneColumnCount && row.text[end].empty()) ++end;
        const QRect cell(columnLeft_[c] + cellPadding / 2, y, columnLeft_[end] - columnLeft_[c],
                         height);
        painter.drawText(cell, Qt::AlignVCenter | Qt::AlignLeft,
                         QString::fromUtf8(row.text[c].data(), qsizetype(row.text[c].size())));
    }
    if (row.lengthBar > 0) {
        const int right = columnLeft_[size_t(TuneColumn::Length) + 1] - cellPadding / 2;
        const int width = std::max(1, int(row.lengthBar * barWidth_ + 0.5));
        painter.fillRect(QRect(right - barWidth_, y + height / 3, width, height / 3),
                         row.reached ? tuneColours::lengthBar : tuneColours::unreached);
    }
    if (index == editor_.cursorRow()) {
        const size_t c = size_t(tableColumnOf(editor_.column()));
        painter.setPen(QPen(tuneColours::cursor, 1));
        painter.drawRect(QRect(columnLeft_[c], y, columnLeft_[c + 1] - columnLeft_[c], height)
                             .adjusted(0, 0, -1, -1));
    }
}

void TuneTableView::keyPressEvent(QKeyEvent* event) {
    const std::optional<EditorKey> key = editorKeyOf(*event, QGuiApplication::platformName());
    if (!key) return QAbstractScrollArea::keyPressEvent(event);
    // While the table has the keyboard every key is the editor's, even one it
    // ignores: none falls through to play the kit.
    event->accept();
    if (releasePending_) {
        // Stamped with its release's time, a press is the key's auto-repeat: still held.
        if (isAutoRepeatPair(releasePending_->physical, releasePending_->timestamp,
                             physicalKeyOf(*event), event->timestamp()))
            return releasePending_.reset();
        letGoOfKey();
    }
    applyClipboard(editor_.key(*key, quint64(clock_.elapsed())));
    showEdit();
    emit edited();
}

// While recording, a release waits a moment for a press that makes it an
// auto-repeat (as the window's kit keys do), so a held note is one step.
void TuneTableView::keyReleaseEvent(QKeyEvent* event) {
    const std::optional<EditorKey> key = editorKeyOf(*event, QGuiApplication::platformName());
    if (!key || event->isAutoRepeat()) return QAbstractScrollArea::keyReleaseEvent(event);
    event->accept();
    if (releasePending_) letGoOfKey();
    releasePending_ =
        PendingRelease{*key, physicalKeyOf(*event), event->timestamp(), quint64(clock_.elapsed())};
    if (!editor_.recording()) return letGoOfKey();
    const quint64 timestamp = event->timestamp();
    QTimer::singleShot(int(autoRepeatPairMs), this, [this, timestamp] {
        if (releasePending_ && releasePending_->timestamp == timestamp) letGoOfKey();
    });
}

void TuneTableView::letGoOfKey() {
    const PendingRelease release = *std::exchange(releasePending_, std::nullopt);
    editor_.keyUp(release.key, release.atMs);
    emit edited();
}

bool TuneTableView::takeKitKey(KeyId key) {
    if (!editor_.typeKitKey(key)) return false;
    showEdit();
    emit edited();
    return true;
}

void TuneTableView::applyClipboard(const EditorResult& result) {
    if (!result.clipboard.empty())
        QApplication::clipboard()->setText(QString::fromStdString(result.clipboard));
    if (result.wantsPaste) editor_.paste(QApplication::clipboard()->text().toStdString());
}

void TuneTableView::clickAt(QPoint position, bool extend) {
    const int row = verticalScrollBar()->value() + position.y() / rowHeight();
    if (row < 0 || row > int(lastTuneRow)) return;
    const auto right = std::upper_bound(columnLeft_.begin() + 1, columnLeft_.end(), position.x());
    const size_t column = std::min<size_t>(right - columnLeft_.begin() - 1, tuneColumnCount - 1);
    editor_.select(uint32_t(row), TuneColumn(column), extend);
    showEdit();
    emit edited();
}

void TuneTableView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    clickAt(event->position().toPoint(), event->modifiers() & Qt::ShiftModifier);
}

void TuneTableView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const QPoint at = event->position().toPoint();
    const uint32_t row = uint32_t(
        std::clamp(verticalScrollBar()->value() + at.y() / rowHeight(), 0, int(lastTuneRow)));
    if (row == editor_.cursorRow()) return;
    editor_.select(row, editor_.column(), true);
    showEdit();
    emit edited();
}

void TuneTableView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TuneTableView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

bool TuneTableView::focusNextPrevChild(bool) {
    return false;
}

} // namespace korvel::qt
