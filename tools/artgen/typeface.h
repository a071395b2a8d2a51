// The typefaces the artwork's text is set in, all from Debian packages whose
// licences allow rendered text in pictures: DejaVu (fonts-dejavu-core) for
// Latin text and Noto Sans CJK (fonts-noto-cjk) for the katakana note labels.
// Sizes are in pixels (the em height).
#pragma once

#include <cairo.h>

#include <string>

namespace korvel::art {

enum class Typeface { sans, sansBold, monoBold, katakana };

// Makes `typeface` at `pixelSize` the context's font. Throws std::runtime_error
// naming the package to install when fontconfig cannot find the family, rather
// than letting a substitute font slip into the pictures.
void useTypeface(cairo_t* cr, Typeface typeface, double pixelSize);

// Draws `text` in the current font and source with its ink centred on `x` and
// its baseline on `baseline`, leaving no current point behind.
void showCentred(cairo_t* cr, const std::string& text, double x, double baseline);

} // namespace korvel::art
