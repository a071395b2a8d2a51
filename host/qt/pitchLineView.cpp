// Pitch line: the trace drawn as a line broken where nothing was voiced.
#include "host/qt/pitchLineView.h"

#include "formats/kitTones.h"
#include "frontend/editor/pitchName.h"
#include "host/qt/tuneColours.h"
#include "listen/transcriber.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace korvel::qt {
namespace {

constexpr double shownSemitones = 15;
// How near an edge the line may come before the view moves.
constexpr double edgeSemitones = 3;
constexpr int linesPerHeight = 8; // text lines the view is high
// Semitone lines closer than this would fill the view: octaves alone then.
constexpr double leastGridPixels = 5;

const QColor grid{40, 110, 70};
const QColor octaveGrid{70, 140, 96};

} // namespace

PitchLineView::PitchLineView(QWidget* parent) : QWidget(parent) {
    setObjectName("pitchLine");
    setAccessibleName(tr("Pitch heard"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    trace_.reserve(listen::Transcriber::traceFrames);
}

QSize PitchLineView::sizeHint() const {
    return {fontMetrics().averageCharWidth() * 30, fontMetrics().height() * linesPerHeight};
}

void PitchLineView::showTrace(const std::deque<double>& trace, const QString& heard) {
    trace_.assign(trace.begin(), trace.end());
    heard_ = heard;
    followVoice();
    update();
}

// Keeps the newest voiced pitches inside the view, centring it on one that
// comes near an edge.
void PitchLineView::followVoice() {
    for (auto pitch = trace_.rbegin(); pitch != trace_.rend(); ++pitch) {
        if (std::isnan(*pitch)) continue;
        if (*pitch < lowest_ + edgeSemitones || *pitch > lowest_ + shownSemitones - edgeSemitones)
            lowest_ = std::round(*pitch - shownSemitones / 2);
        return;
    }
}

double PitchLineView::yOf(double pitch) const {
    return height() * (1 - (pitch - lowest_) / shownSemitones);
}

void PitchLineView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), tuneColours::background);
    painter.setFont(font());
    for (int semitone = int(std::ceil(lowest_)); semitone <= lowest_ + shownSemitones; ++semitone) {
        const bool octave = semitone % 12 == 0;
        const double y = yOf(semitone);
        painter.setPen(octave ? octaveGrid : grid);
        painter.drawLine(QPointF(0, y), QPointF(width(), y));
        // Named at the left, below the words for the newest pitch.
        if (!octave || y < 2 * fontMetrics().height()) continue;
        painter.setPen(tuneColours::unreached);
        painter.drawText(QPointF(6, y - 2), QString::fromStdString(concertNoteName(semitone)));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    if (!trace_.empty() && !std::isnan(trace_.back())) {
        const double pitch =
            std::clamp(trace_.back(), formats::lowestReach(), formats::highestReach());
        const double y = yOf(formats::tonePitch(formats::nearestTone(pitch).toneIndex));
        painter.setPen(QPen(tuneColours::lengthBar, 2, Qt::DashLine));
        painter.drawLine(QPointF(0, y), QPointF(width(), y));
    }
    // The newest frame at the right edge, the oldest traceFrames to its left.
    const double step = double(width()) / listen::Transcriber::traceFrames;
    const double firstX = width() - step * double(trace_.size());
    QPainterPath line;
    bool drawing = false;
    for (size_t i = 0; i < trace_.size(); ++i) {
        drawing = drawing && !std::isnan(trace_[i]);
        if (std::isnan(trace_[i])) continue;
        const QPointF at(firstX + step * double(i + 1), yOf(trace_[i]));
        // A voice begins a frame wide, so its first frame shows at once.
        if (!drawing) line.moveTo(at - QPointF(step, 0));
        line.lineTo(at);
        drawing = true;
    }
    painter.setPen(QPen(tuneColours::text, 2));
    painter.drawPath(line);
    painter.setPen(tuneColours::text);
    painter.drawText(rect().adjusted(6, 2, -6, -2), Qt::AlignTop | Qt::AlignLeft, heard_);
}

} // namespace korvel::qt
