// Help > Keyboard: which PC keys play which kit keys, as the keyboard table
// words it for the desktop edition, in a box that stays open beside the board.
#pragma once

class QWidget;

namespace korvel::qt {

void showKeyboardHelp(QWidget& parent);

} // namespace korvel::qt
