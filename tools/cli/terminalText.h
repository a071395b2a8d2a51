// Text from the user, such as a file name, made safe to print on a terminal.
//
// A name may hold any bytes but a slash and NUL; printed raw, a newline would
// forge a line of output and an escape byte would drive the terminal. Every
// message that shows a name passes it through printable().
#pragma once

#include <string>
#include <string_view>

namespace korvel::cli {

// The text with each control character (C0, DEL, and C1 in UTF-8) and each
// byte that is not valid UTF-8 written as an escape: \t, \n, \r, else \xHH per
// byte. Other characters, in any script, are kept as they are.
std::string printable(std::string_view text);

} // namespace korvel::cli
