// Listen's moving pitch line: the pitch heard in the last four seconds, newest
// at the right edge, on faint lines a semitone apart (C named), with the kit
// tone the newest pitch is nearest marked in gold and the words for it
// (LiveListen::heardText) at the top left. The view shows an octave and a
// bit, and follows the voice: a line near an edge centres it again.
#pragma once

#include <QWidget>

#include <deque>
#include <vector>

namespace korvel::qt {

class PitchLineView final : public QWidget {
    Q_OBJECT

  public:
    explicit PitchLineView(QWidget* parent = nullptr);

    // trace: semitones on the MIDI scale, Transcriber::frameSeconds apart, NAN where silent.
    void showTrace(const std::deque<double>& trace, const QString& heard);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void followVoice();
    double yOf(double pitch) const;

    std::vector<double> trace_;
    QString heard_;
    double lowest_ = 55; // the pitch at the bottom edge
};

} // namespace korvel::qt
