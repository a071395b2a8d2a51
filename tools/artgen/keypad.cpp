#include "tools/artgen/keypad.h"

#include "tools/artgen/canvas.h"
#include "tools/artgen/typeface.h"

#include <cstring>

namespace korvel::art {

const KeyFace keyFaces[keyCount] = {
    {"0", false, "ミ"},      {"1", false, "ファ"},   {"2", false, "ファ#"}, {"3", false, "ソ"},
    {"4", false, "ソ#"},     {"5", false, "ラ"},     {"6", false, "ラ#"},   {"7", false, "シ"},
    {"8", false, "ド"},      {"9", false, "ド#"},    {"A", false, "レ"},    {"B", false, "レ#"},
    {"C", false, "ミ"},      {"D", false, "ファ"},   {"E", false, "ファ#"}, {"F", false, "ソ"},
    {"STOP", true, nullptr}, {"ADR", true, "ソ#"},   {"READ", true, "ラ"},  {"WRITE", true, "ラ#"},
    {"CLEAR", true, "シ"},   {"RUN", true, nullptr},
};

namespace {

constexpr Rgb bezelLight{206, 206, 210};
constexpr Rgb bezelDark{132, 132, 138};
constexpr Rgb bezelEdge{58, 58, 64};
constexpr Rgb topLight{54, 54, 58};
constexpr Rgb topPressed{16, 16, 18};
constexpr Rgb topDark{6, 6, 8};
constexpr Rgb topGlint{112, 112, 120};
constexpr Rgb wellShadow{30, 30, 34};
constexpr Rgb hexLegend{72, 150, 255};
constexpr Rgb functionLegend{255, 70, 58};
constexpr Rgb noteLabel{250, 250, 250};

// The width of the bezel around the black top, in pixels.
constexpr double bezel = 4.0;

// Light falls from above: a released key's bezel is bright at the top, a pressed
// key's bezel, tilted in with the top, catches the light at its lower edge.
void drawBezel(cairo_t* cr, const layout::Place& key, bool pressed) {
    roundedRect(cr, key.x + 0.5, key.y + 0.5, key.width - 1, key.height - 1, 3.5);
    setVerticalGradient(cr, key.y, key.y + key.height, pressed ? bezelDark : bezelLight,
                        pressed ? bezelLight : bezelDark);
    cairo_fill_preserve(cr);
    setColour(cr, bezelEdge);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

// The legend on the upper part of the top and the note label below it, or the
// legend alone in the middle when the key has no note.
void drawLabels(cairo_t* cr, const KeyFace& key, double left, double top, double width,
                double height, double dim) {
    const double centre = left + width / 2;
    const bool digit = std::strlen(key.legend) == 1;
    const double legendSize = digit ? 13.5 : 8.0;
    const double legendBaseline = key.note ? top + (digit ? 14.0 : 11.5) : top + height / 2 + 3.0;
    cairo_save(cr);
    // Long function names are set narrower, as a condensed face would be.
    const double squeeze = std::strlen(key.legend) >= 5 ? 0.82 : 1.0;
    cairo_translate(cr, centre, 0);
    cairo_scale(cr, squeeze, 1);
    useTypeface(cr, Typeface::sansBold, legendSize);
    setColour(cr, key.function ? functionLegend : hexLegend, dim);
    showCentred(cr, key.legend, 0, legendBaseline);
    cairo_restore(cr);
    if (key.note) {
        useTypeface(cr, Typeface::katakana, 8.5);
        setColour(cr, noteLabel, dim);
        showCentred(cr, key.note, centre, top + height - 5.0);
    }
}

} // namespace

void drawKey(cairo_t* cr, const KeyFace& face, const layout::Place& key, bool pressed) {
    cairo_save(cr);
    drawBezel(cr, key, pressed);
    // Pressed in, the top sinks away from the eye: it looks a little smaller, and
    // the walls of its well show in shadow around it, deepest below the light.
    const double left = key.x + bezel + (pressed ? 1 : 0);
    const double top = key.y + bezel + (pressed ? 2 : 0);
    const double width = key.width - 2 * bezel - (pressed ? 2 : 0);
    const double height = key.height - 2 * bezel - (pressed ? 3 : 0);
    if (pressed) {
        roundedRect(cr, key.x + bezel - 1, key.y + bezel - 1, key.width - 2 * bezel + 2,
                    key.height - 2 * bezel + 2, 3);
        setColour(cr, wellShadow);
        cairo_fill(cr);
    }
    roundedRect(cr, left, top, width, height, 2.5);
    setVerticalGradient(cr, top, top + height, pressed ? topPressed : topLight, topDark);
    cairo_fill(cr);
    if (!pressed) {
        // A glint along the upper edge of the raised top.
        cairo_move_to(cr, left + 2.5, top + 0.5);
        cairo_line_to(cr, left + width - 2.5, top + 0.5);
        setColour(cr, topGlint);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    drawLabels(cr, face, left, top, width, height, pressed ? 0.75 : 1.0);
    cairo_restore(cr);
}

} // namespace korvel::art
