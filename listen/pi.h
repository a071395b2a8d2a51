// pi, for the listener and its tests: M_PI is not in every standard library.
#pragma once

namespace korvel::listen {

inline constexpr double pi = 3.14159265358979323846;

} // namespace korvel::listen
