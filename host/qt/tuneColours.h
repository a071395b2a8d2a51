// The tune editor's colours, taken from the board: the circuit board's green,
// its white print, the LED's red for the step sounding and the resistors'
// gold for the length bars.
#pragma once

#include <QColor>

namespace korvel::qt::tuneColours {

inline const QColor background{18, 82, 46};
inline const QColor header{12, 60, 33};
inline const QColor text{236, 240, 230};
inline const QColor unreached{112, 152, 124};
inline const QColor selection{38, 128, 76};
inline const QColor cursor{255, 255, 255};
inline const QColor sounding{168, 24, 16};
inline const QColor soundingText{255, 236, 220};
inline const QColor lengthBar{226, 168, 52};
inline const QColor focusFrame{226, 168, 52};

} // namespace korvel::qt::tuneColours
