#include "tools/artgen/logo.h"

#include <functional>

namespace korvel::art {

namespace {

constexpr Rgb outline{28, 30, 74};
constexpr Rgb fillTop{255, 226, 72};
constexpr Rgb fillBottom{240, 82, 36};

// Letters are drawn as strokes of one round pen on a 60-pixel-high body;
// each function adds one letter's centre lines to the path at the origin.
using Letter = std::function<void(cairo_t*)>;

void letterK(cairo_t* cr) {
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, 0, 60);
    cairo_move_to(cr, 34, 0);
    cairo_line_to(cr, 3, 33);
    cairo_move_to(cr, 14, 22);
    cairo_line_to(cr, 37, 60);
}

void letterO(cairo_t* cr) {
    roundedRect(cr, 0, 0, 42, 60, 20);
}

void letterR(cairo_t* cr) {
    cairo_move_to(cr, 0, 60);
    cairo_line_to(cr, 0, 0);
    cairo_line_to(cr, 20, 0);
    cairo_arc(cr, 20, 16, 16, -pi / 2, pi / 2);
    cairo_line_to(cr, 0, 32);
    cairo_move_to(cr, 16, 32);
    cairo_line_to(cr, 37, 60);
}

void letterV(cairo_t* cr) {
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, 19, 60);
    cairo_line_to(cr, 38, 0);
}

void letterE(cairo_t* cr) {
    cairo_move_to(cr, 33, 0);
    cairo_line_to(cr, 0, 0);
    cairo_line_to(cr, 0, 60);
    cairo_line_to(cr, 33, 60);
    cairo_move_to(cr, 0, 30);
    cairo_line_to(cr, 26, 30);
}

void letterL(cairo_t* cr) {
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, 0, 60);
    cairo_line_to(cr, 32, 60);
}

struct PlacedLetter {
    Letter draw;
    double x;
};

// "KORVEL", leaning forward, with the letters' left edges at these offsets.
void lettering(cairo_t* cr) {
    const PlacedLetter letters[] = {{letterK, 0},   {letterO, 52},  {letterR, 110},
                                    {letterV, 162}, {letterE, 214}, {letterL, 262}};
    cairo_new_path(cr);
    for (const PlacedLetter& letter : letters) {
        cairo_save(cr);
        cairo_translate(cr, letter.x, 0);
        letter.draw(cr);
        cairo_restore(cr);
    }
}

void strokeLettering(cairo_t* cr, double penWidth) {
    lettering(cr);
    cairo_set_line_width(cr, penWidth);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

} // namespace

void drawLogo(cairo_t* cr) {
    constexpr double pen = 13;
    cairo_save(cr);
    // Lettering box: 300 x 60 pixels, sheared to lean forward, centred in 350 x 99.
    cairo_translate(cr, 38, 16);
    cairo_matrix_t lean{1, 0, -0.2, 1, 0, 0};
    cairo_transform(cr, &lean);

    cairo_save(cr);
    cairo_translate(cr, 4, 5);
    setColour(cr, black, 0.30);
    strokeLettering(cr, pen + 9);
    cairo_restore(cr);

    setColour(cr, outline);
    strokeLettering(cr, pen + 8);

    cairo_push_group(cr);
    setVerticalGradient(cr, 0, 60, fillTop, fillBottom);
    strokeLettering(cr, pen);
    // A glint along the upper left of every stroke, kept inside the strokes.
    cairo_set_operator(cr, CAIRO_OPERATOR_ATOP);
    cairo_translate(cr, -2.5, -2.5);
    setColour(cr, white, 0.55);
    strokeLettering(cr, pen * 0.35);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
    cairo_restore(cr);
}

} // namespace korvel::art
