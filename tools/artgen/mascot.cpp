#include "tools/artgen/mascot.h"

#include "tools/artgen/typeface.h"

#include <algorithm>
#include <initializer_list>

namespace korvel::art {

namespace {

constexpr Rgb ink{70, 40, 28};
constexpr Rgb skin{255, 214, 172};
constexpr Rgb hair{104, 60, 26};
constexpr Rgb pupil{34, 30, 56};
constexpr Rgb mouth{160, 36, 46};
constexpr Rgb tongue{246, 118, 128};
constexpr Rgb cheek{255, 128, 128};
constexpr Rgb phones{222, 52, 48};
constexpr Rgb phonesBand{70, 72, 84};
constexpr Rgb shirt{52, 122, 222};
constexpr Rgb shorts{40, 52, 96};
constexpr Rgb shoe{226, 56, 50};
constexpr Rgb sole{250, 250, 246};

// How much of the face survives at a size: small icons keep only what stays legible.
enum class Detail { full, reduced };

void ellipse(cairo_t* cr, double x, double y, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * pi);
    cairo_restore(cr);
}

// Draws in cartoon style: flat colours with ink outlines of one width.
class Cartoon {
  public:
    Cartoon(cairo_t* cr, double outline) : cr_(cr), outline_(outline) {
        cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
    }

    cairo_t* cr() const { return cr_; }

    // Fills the current path and outlines it.
    void fill(Rgb colour) {
        setColour(cr_, colour);
        cairo_fill_preserve(cr_);
        outline();
    }

    // Outlines the current path.
    void outline() {
        setColour(cr_, ink);
        cairo_set_line_width(cr_, outline_);
        cairo_stroke(cr_);
    }

    // Fills the current path with `colour` and, inside it, the path that
    // `addInner` adds with `innerColour`; leaves the outer path current.
    template <typename AddInner>
    void fillWithInner(Rgb colour, AddInner addInner, Rgb innerColour) {
        cairo_path_t* outer = cairo_copy_path(cr_);
        cairo_save(cr_);
        setColour(cr_, colour);
        cairo_fill_preserve(cr_);
        cairo_clip(cr_);
        addInner();
        setColour(cr_, innerColour);
        cairo_fill(cr_);
        cairo_restore(cr_);
        cairo_append_path(cr_, outer);
        cairo_path_destroy(outer);
    }

    // Strokes the current path `width` wide, outlined.
    void stroke(double width, Rgb colour) {
        setColour(cr_, ink);
        cairo_set_line_width(cr_, width + 2 * outline_);
        cairo_stroke_preserve(cr_);
        setColour(cr_, colour);
        cairo_set_line_width(cr_, width);
        cairo_stroke(cr_);
    }

    // A limb through the given x, y pairs, ending in a round hand or foot.
    void limb(std::initializer_list<double> points, double width, double endRadius) {
        auto p = points.begin();
        cairo_move_to(cr_, p[0], p[1]);
        for (p += 2; p != points.end(); p += 2) cairo_line_to(cr_, p[0], p[1]);
        stroke(width, skin);
        const double* last = points.end() - 2;
        if (endRadius > 0) {
            cairo_arc(cr_, last[0], last[1], endRadius, 0, 2 * pi);
            fill(skin);
        }
    }

  private:
    cairo_t* cr_;
    double outline_;
};

void hairPiece(Cartoon& art) {
    cairo_t* cr = art.cr();
    // Crown and a zigzag fringe across the forehead.
    cairo_move_to(cr, -48, 4);
    cairo_arc(cr, 0, 0, 48, pi, 2 * pi);
    cairo_line_to(cr, 48, 4);
    const double fringe[][2] = {{41, -8},   {33, -18},  {23, -9},   {12, -22}, {2, -11},
                                {-10, -24}, {-20, -12}, {-32, -21}, {-41, -8}};
    for (const auto& point : fringe) cairo_line_to(cr, point[0], point[1]);
    cairo_close_path(cr);
    art.fill(hair);
    // A cowlick springing from the crown.
    cairo_move_to(cr, -6, -46);
    cairo_curve_to(cr, -4, -60, 10, -66, 18, -62);
    cairo_curve_to(cr, 10, -58, 6, -52, 8, -46);
    cairo_close_path(cr);
    art.fill(hair);
}

void eye(Cartoon& art, double x, Detail detail) {
    cairo_t* cr = art.cr();
    if (detail == Detail::reduced) {
        // Too small for whites: bean eyes with a glint.
        ellipse(cr, x, 3, 7.5, 10);
        setColour(cr, pupil);
        cairo_fill(cr);
        cairo_arc(cr, x + 2.5, -1, 3, 0, 2 * pi);
        setColour(cr, white);
        cairo_fill(cr);
        return;
    }
    ellipse(cr, x, 2, 9.5, 12);
    art.fill(white);
    cairo_arc(cr, x + 1.5, 4, 6, 0, 2 * pi);
    setColour(cr, pupil);
    cairo_fill(cr);
    cairo_arc(cr, x + 3.5, 1, 2.2, 0, 2 * pi);
    setColour(cr, white);
    cairo_fill(cr);
}

void smile(Cartoon& art) {
    cairo_t* cr = art.cr();
    cairo_move_to(cr, -17, 21);
    cairo_curve_to(cr, -12, 42, 12, 42, 17, 21);
    cairo_curve_to(cr, 6, 25, -6, 25, -17, 21);
    cairo_close_path(cr);
    art.fillWithInner(
        mouth, [cr] { ellipse(cr, 0, 37, 10, 6); }, tongue);
    art.outline();
}

void headphones(Cartoon& art) {
    cairo_t* cr = art.cr();
    cairo_arc(cr, 0, 4, 54, 1.08 * pi, 1.92 * pi);
    art.stroke(6, phonesBand);
    for (double side : {-1.0, 1.0}) {
        roundedRect(cr, side * 51 - 8, -12, 16, 32, 7);
        art.fill(phones);
        roundedRect(cr, side * 51 - 5, -6, 4, 20, 2);
        setColour(cr, white, 0.45);
        cairo_fill(cr);
    }
}

void cheeksAndBrows(cairo_t* cr, Detail detail) {
    for (double side : {-1.0, 1.0}) {
        ellipse(cr, side * 30, 22, 7, 4.5);
        setColour(cr, cheek, 0.55);
        cairo_fill(cr);
        if (detail != Detail::full) continue;
        cairo_move_to(cr, side * 11, -13);
        cairo_curve_to(cr, side * 14, -17, side * 21, -17, side * 24, -13);
        setColour(cr, hair);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
    }
    if (detail != Detail::full) return;
    cairo_move_to(cr, -3, 15);
    cairo_curve_to(cr, -1, 18, 1, 18, 3, 15);
    setColour(cr, ink);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

// The head around its centre (0, 0), face radius 46.
void head(Cartoon& art, Detail detail) {
    cairo_arc(art.cr(), 0, 0, 46, 0, 2 * pi);
    art.fill(skin);
    hairPiece(art);
    headphones(art);
    cheeksAndBrows(art.cr(), detail);
    eye(art, -17, detail);
    eye(art, 17, detail);
    smile(art);
}

void shoes(Cartoon& art) {
    cairo_t* cr = art.cr();
    for (double x : {56.0, 94.0}) {
        ellipse(cr, x, 193, 15, 7.5);
        art.fillWithInner(
            shoe, [cr, x] { cairo_rectangle(cr, x - 16, 196, 32, 6); }, sole);
        art.outline();
    }
}

void body(Cartoon& art) {
    cairo_t* cr = art.cr();
    art.limb({62, 170, 60, 188}, 11, 0);
    art.limb({88, 170, 90, 188}, 11, 0);
    shoes(art);
    cairo_move_to(cr, 46, 156);
    cairo_line_to(cr, 104, 156);
    cairo_line_to(cr, 106, 178);
    cairo_line_to(cr, 78, 178);
    cairo_line_to(cr, 75, 170);
    cairo_line_to(cr, 72, 178);
    cairo_line_to(cr, 44, 178);
    cairo_close_path(cr);
    art.fill(shorts);
    // The left arm hangs loose, the right one waves.
    art.limb({46, 126, 34, 146, 32, 158}, 10, 6.5);
    art.limb({104, 126, 126, 136, 134, 114}, 10, 6.5);
    cairo_move_to(cr, 54, 112);
    cairo_curve_to(cr, 40, 114, 34, 124, 30, 136);
    cairo_line_to(cr, 44, 142);
    cairo_line_to(cr, 47, 134);
    cairo_line_to(cr, 46, 162);
    cairo_line_to(cr, 104, 162);
    cairo_line_to(cr, 103, 134);
    cairo_line_to(cr, 112, 140);
    cairo_line_to(cr, 120, 128);
    cairo_curve_to(cr, 114, 118, 108, 114, 96, 112);
    cairo_close_path(cr);
    art.fill(shirt);
    // A round badge with a K on the chest.
    cairo_arc(cr, 75, 138, 12, 0, 2 * pi);
    art.fill(white);
    useTypeface(cr, Typeface::sansBold, 16);
    setColour(cr, phones);
    showCentred(cr, "K", 75, 144);
}

// The face at 16 x 16, set pixel by pixel: at this size any smooth drawing blurs.
// Rows are symmetric, so only the left half is given; the cowlick is added after.
void drawPixelFace(cairo_t* cr) {
    const char* leftHalves[16] = {
        "........", ".....ggg", "...ggkkk", "..gkkhhh", ".gkhhhhh", "gkhhhhhh",
        "rkhshhsh", "rrksssss", "rrkssess", "rrkssess", "rrkcssss", ".ksssmmm",
        "..ksssmm", "...kksss", ".....kkk", "........",
    };
    auto colourOf = [](char code) {
        switch (code) {
        case 'g': return phonesBand;
        case 'k': return ink;
        case 'h': return hair;
        case 's': return skin;
        case 'r': return phones;
        case 'e': return pupil;
        case 'c': return Rgb{255, 170, 150};
        default: return mouth;
        }
    };
    auto plot = [cr](int x, int y, Rgb colour) {
        cairo_rectangle(cr, x, y, 1, 1);
        setColour(cr, colour);
        cairo_fill(cr);
    };
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) {
            const char code = leftHalves[y][x];
            if (code == '.') continue;
            plot(x, y, colourOf(code));
            plot(15 - x, y, colourOf(code));
        }
    plot(9, 0, ink);
    plot(10, 0, ink);
}

} // namespace

void drawMascot(cairo_t* cr) {
    Cartoon art(cr, 2.6);
    body(art);
    cairo_save(cr);
    cairo_translate(cr, 75, 70);
    head(art, Detail::full);
    cairo_restore(cr);
}

void drawMascotFace(cairo_t* cr, int size) {
    if (size <= 16) {
        cairo_save(cr);
        cairo_scale(cr, size / 16.0, size / 16.0);
        drawPixelFace(cr);
        cairo_restore(cr);
        return;
    }
    // The head with its headphones and cowlick spans about 128 x 128 units.
    const double scale = size / 132.0;
    cairo_save(cr);
    cairo_translate(cr, size / 2.0, size / 2.0 + 8 * scale);
    cairo_scale(cr, scale, scale);
    // Outlines about a pixel wide whatever the size, so the face keeps its edge.
    Cartoon art(cr, std::max(2.6, 0.8 / scale));
    head(art, size >= 48 ? Detail::full : Detail::reduced);
    cairo_restore(cr);
}

} // namespace korvel::art
