// Listen's moving pitch line: the pitch heard in the last few seconds, newest
// at the right edge, on faint lines a semitone apart (C named), with the kit
// tone the newest pitch is nearest marked in gold and the words for it
// (LiveListen::heardText) at the top left. The view follows the voice up and
// down by whole octaves' worth of room, so a line near an edge moves it.
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
    double lowest_ = 57; // the pitch at the bottom edge
};

} // namespace korvel::qt
