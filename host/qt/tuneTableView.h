// The tune editor's step table as a widget: the core's rows painted in the
// board's colours, one line a row, with the cursor's cell framed, the
// selection and the sounding row marked, rows play cannot reach dimmed and
// each length drawn as a bar to scale; blank rows dimmed. Clicks, drags and keys go to the core
// (tuneEditor.h), keys read once by editorKeys.h. The view keeps the cursor
// in sight after every key and the sounding row while a tune plays, unless
// the user scrolled in the last few seconds; the sounding row a few rows from
// the edge. The rules for clicks, titles and following play are the core's.
#pragma once

#include "frontend/editor/tuneEditor.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>

#include <optional>

namespace korvel::qt {

class TuneTableView final : public QAbstractScrollArea {
    Q_OBJECT

  public:
    // Rows kept between the sounding row and the table's edge, so the notes to come are seen.
    static constexpr int soundingMarginRows = 3;

    // clock gives the milliseconds the core's timings (recording) are read in.
    TuneTableView(TuneEditor& editor, const QElapsedTimer& clock, QWidget* parent = nullptr);

    // The rows or the cursor changed: repaint, the cursor in sight.
    void showEdit();
    // The sounding row may have changed: repaint it, in sight unless the user scrolled.
    void showSounding();
    // A kit key clicked while the table has the keyboard: true when the
    // editor took it (a hex key types the row's digits).
    bool takeKitKey(KeyId key);
    // Writes the core's rows to the system clipboard, or pastes them from it.
    void applyClipboard(const EditorResult& result);
    // The text's size follows the board's zoom.
    void setZoomPercent(int percent);
    int rowHeight() const;
    // Where a cell is painted, in the viewport's pixels.
    QRect cellRect(uint32_t row, TuneColumn column) const;
    QSize sizeHint() const override;

  signals:
    // A key, click or paste went to the core: its state may have changed.
    void edited();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Tab moves between the editor's columns, not out of the table.
    bool focusNextPrevChild(bool next) override;

  private:
    class Header;

    void layoutColumns();
    void placeHeader();
    void updateScrollRange();
    // Brings row in sight, margin rows from the edges where the page has room.
    void scrollTo(uint32_t row, int margin = 0);
    void updateRow(uint32_t row);
    void clickAt(QPoint position, bool extend);
    void paintRow(QPainter& painter, const TuneRow& row, int y, bool selected) const;
    void letGoOfKey();

    TuneEditor& editor_;
    const QElapsedTimer& clock_;
    Header* header_;
    // The left edge of each table column and the right edge of the last.
    std::array<int, tuneColumnCount + 1> columnLeft_{};
    int barWidth_ = 0;
    std::optional<uint32_t> soundingShown_;
    // A key's release not yet handed to the core, with its time.
    struct PendingRelease {
        EditorKey key;
        quint64 physical; // the key's place and the event's time, to know its auto-repeat's press
        quint64 timestamp;
        quint64 atMs; // the core's clock at the release
    };
    std::optional<PendingRelease> releasePending_;
};

} // namespace korvel::qt
