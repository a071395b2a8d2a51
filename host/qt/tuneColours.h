// The tune editor's colours, taken from the board: the circuit board's green,
// its white print, the LED's red for the step sounding and the resistors'
// gold for the length bars. Every text stands out from what it is painted
// on by at least 4.5:1, dimmed rows and selected ones too.
#pragma once

#include <QColor>

namespace korvel::qt::tuneColours {

inline const QColor background{18, 82, 46};
inline const QColor header{12, 60, 33};
inline const QColor text{236, 240, 230};
inline const QColor unreached{166, 198, 176};
inline const QColor selection{4, 36, 48};
inline const QColor cursor{255, 255, 255};
inline const QColor sounding{168, 24, 16};
inline const QColor soundingText{255, 236, 220};
inline const QColor lengthBar{226, 168, 52};
inline const QColor focusFrame{226, 168, 52};

} // namespace korvel::qt::tuneColours
