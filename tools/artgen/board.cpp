#include "tools/artgen/board.h"

#include "tools/artgen/canvas.h"
#include "tools/artgen/keypad.h"
#include "tools/artgen/ledStrip.h"
#include "tools/artgen/typeface.h"

#include <cstdint>
#include <initializer_list>
#include <string>

namespace korvel::art {

namespace {

constexpr Rgb desk{30, 32, 36};
constexpr Rgb maskLight{28, 112, 64};
constexpr Rgb maskDark{18, 88, 50};
constexpr Rgb copperUnderMask{44, 136, 80};
constexpr Rgb tin{206, 206, 196};
constexpr Rgb drillHole{22, 24, 26};
constexpr Rgb silk{238, 238, 226};
constexpr Rgb chipBody{28, 28, 30};
constexpr Rgb chipInk{190, 190, 186};

// Pins of dual in-line parts sit 8 pixels apart, rows of wide parts 48 apart.
constexpr double pitch = 8.0;

struct Point {
    double x;
    double y;
};

void trace(cairo_t* cr, std::initializer_list<Point> points, double width = 2.2) {
    bool first = true;
    for (Point p : points) {
        if (first)
            cairo_move_to(cr, p.x, p.y);
        else
            cairo_line_to(cr, p.x, p.y);
        first = false;
    }
    setColour(cr, copperUnderMask);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

void pad(cairo_t* cr, double x, double y, double radius = 2.6) {
    cairo_arc(cr, x, y, radius, 0, 2 * pi);
    setColour(cr, tin);
    cairo_fill(cr);
    cairo_arc(cr, x, y, radius * 0.4, 0, 2 * pi);
    setColour(cr, drillHole);
    cairo_fill(cr);
}

void silkText(cairo_t* cr, const std::string& text, double x, double baseline, double size,
              Typeface typeface = Typeface::monoBold) {
    useTypeface(cr, typeface, size);
    setColour(cr, silk);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text.c_str());
    cairo_new_path(cr);
}

void silkCentred(cairo_t* cr, const std::string& text, double x, double baseline, double size,
                 Typeface typeface = Typeface::monoBold) {
    useTypeface(cr, typeface, size);
    setColour(cr, silk);
    showCentred(cr, text, x, baseline);
}

void silkBox(cairo_t* cr, double x, double y, double w, double h, double radius = 0) {
    if (radius > 0)
        roundedRect(cr, x + 0.5, y + 0.5, w, h, radius);
    else
        cairo_rectangle(cr, x + 0.5, y + 0.5, w, h);
    setColour(cr, silk);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

// A dual in-line chip lying horizontally, its notch on the left; (x, y) is the
// top-left corner of the body. Pins are counted from the left along each row.
struct Dip {
    double x;
    double y;
    int pinsPerSide;
    bool wide;
    const char* designator;
    const char* marking;

    double length() const { return pinsPerSide * pitch + 4; }
    double bodyHeight() const { return wide ? 40 : 20; }
    double rowGap() const { return wide ? 6 : 5; }
    // The middle of pin `index` of the upper or lower row.
    Point pin(int index, bool lower) const {
        return {x + 6 + index * pitch, lower ? y + bodyHeight() + rowGap() - 1 : y - rowGap() + 1};
    }
};

constexpr Dip processor{32, 104, 20, true, "U1", "KRV-4  CPU"};
constexpr Dip monitorRom{224, 104, 12, true, "U2", "MONITOR"};
constexpr Dip ram{344, 114, 8, false, "U3", "RAM"};
constexpr Dip segmentDriver{262, 242, 8, false, "U4", "SEG DRV"};
constexpr Dip keyScanner{370, 242, 6, false, "U5", "SCAN"};

void drawDip(cairo_t* cr, const Dip& chip) {
    const double x = chip.x;
    const double y = chip.y;
    const double height = chip.bodyHeight();
    silkBox(cr, x - 3, y - chip.rowGap() - 4, chip.length() + 6, height + 2 * chip.rowGap() + 8,
            1.5);
    for (int i = 0; i < chip.pinsPerSide; ++i)
        for (bool lower : {false, true}) {
            const Point p = chip.pin(i, lower);
            cairo_rectangle(cr, p.x - 1.8, p.y - 2.2, 3.6, 4.4);
            setColour(cr, tin);
            cairo_fill(cr);
        }
    roundedRect(cr, x, y, chip.length(), height, 1.5);
    setVerticalGradient(cr, y, y + height, Rgb{48, 48, 52}, chipBody);
    cairo_fill(cr);
    cairo_arc(cr, x, y + height / 2, chip.wide ? 4 : 3, -pi / 2, pi / 2);
    setColour(cr, Rgb{12, 12, 14});
    cairo_fill(cr);
    cairo_arc(cr, x + 8, y + height - 6, 1.8, 0, 2 * pi);
    setColour(cr, Rgb{60, 60, 64});
    cairo_fill(cr);
    useTypeface(cr, Typeface::sansBold, chip.wide ? 10 : 8);
    setColour(cr, chipInk);
    showCentred(cr, chip.marking, x + chip.length() / 2, y + height / 2 + (chip.wide ? 4 : 3));
    silkText(cr, chip.designator, x - 2, y - chip.rowGap() - 7, 9);
}

// A resistor lying horizontally between two pads, centred on (x, y).
void resistor(cairo_t* cr, double x, double y, std::initializer_list<Rgb> bands,
              const std::string& designator) {
    pad(cr, x - 16, y);
    pad(cr, x + 16, y);
    cairo_move_to(cr, x - 16, y);
    cairo_line_to(cr, x + 16, y);
    setColour(cr, Rgb{170, 170, 160});
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    roundedRect(cr, x - 10, y - 3.5, 20, 7, 3);
    setVerticalGradient(cr, y - 3.5, y + 3.5, Rgb{232, 210, 168}, Rgb{176, 150, 110});
    cairo_fill(cr);
    // Three value bands close together, the tolerance band apart from them.
    const double offsets[] = {-6.5, -3.0, 0.5, 5.0};
    const double* offset = offsets;
    for (Rgb band : bands) {
        cairo_rectangle(cr, x + *offset++, y - 3.5, 1.8, 7);
        setColour(cr, band);
        cairo_fill(cr);
    }
    silkText(cr, designator, x - 36, y + 2.5, 7);
}

constexpr Rgb brown{120, 64, 20};
constexpr Rgb red{200, 30, 30};
constexpr Rgb orange{230, 120, 20};
constexpr Rgb yellow{236, 200, 40};
constexpr Rgb violet{130, 60, 170};
constexpr Rgb blackBand{20, 20, 20};
constexpr Rgb gold{200, 160, 40};

void ceramicCapacitor(cairo_t* cr, double x, double y, const std::string& designator) {
    pad(cr, x - 6, y + 7);
    pad(cr, x + 6, y + 7);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, 1.0, 0.6);
    cairo_arc(cr, 0, 0, 7, 0, 2 * pi);
    cairo_restore(cr);
    setVerticalGradient(cr, y - 4, y + 4, Rgb{236, 170, 60}, Rgb{186, 110, 30});
    cairo_fill(cr);
    silkText(cr, designator, x + 10, y + 3, 7);
}

// An electrolytic capacitor seen from above: a round can with its minus stripe.
void electrolytic(cairo_t* cr, double x, double y, double radius, const std::string& designator) {
    cairo_arc(cr, x, y, radius + 2.5, 0, 2 * pi);
    setColour(cr, silk);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_arc(cr, x, y, radius, 0, 2 * pi);
    cairo_pattern_t* shade =
        cairo_pattern_create_radial(x - radius / 3, y - radius / 3, 1, x, y, radius);
    cairo_pattern_add_color_stop_rgb(shade, 0, 0.30, 0.42, 0.80);
    cairo_pattern_add_color_stop_rgb(shade, 1, 0.10, 0.16, 0.42);
    cairo_set_source(cr, shade);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);
    cairo_move_to(cr, x, y);
    cairo_arc(cr, x, y, radius, -0.35 * pi, 0.0 * pi);
    cairo_close_path(cr);
    setColour(cr, Rgb{170, 180, 200});
    cairo_fill(cr);
    cairo_arc(cr, x, y, radius * 0.55, 0, 2 * pi);
    setColour(cr, Rgb{190, 196, 206});
    cairo_fill(cr);
    cairo_move_to(cr, x - radius * 0.4, y);
    cairo_line_to(cr, x + radius * 0.4, y);
    cairo_move_to(cr, x, y - radius * 0.4);
    cairo_line_to(cr, x, y + radius * 0.4);
    setColour(cr, Rgb{120, 126, 136});
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    silkText(cr, designator, x - radius, y - radius - 5, 7);
}

void crystal(cairo_t* cr, double x, double y, const std::string& designator) {
    roundedRect(cr, x, y, 30, 11, 5.5);
    setVerticalGradient(cr, y, y + 11, Rgb{236, 238, 240}, Rgb{140, 144, 150});
    cairo_fill(cr);
    useTypeface(cr, Typeface::sansBold, 6.5);
    setColour(cr, Rgb{60, 60, 64});
    showCentred(cr, "4.000", x + 15, y + 8);
    silkText(cr, designator, x, y - 4, 7);
}

// A two-row pin header in its black plastic strip; (x, y) is its top-left corner.
void expansionHeader(cairo_t* cr, double x, double y) {
    constexpr int pinsPerRow = 11;
    const double width = pinsPerRow * pitch + 2;
    silkBox(cr, x - 2, y - 2, width + 4, 2 * pitch + 6);
    cairo_rectangle(cr, x, y, width, 2 * pitch + 2);
    setColour(cr, chipBody);
    cairo_fill(cr);
    for (int row = 0; row < 2; ++row)
        for (int i = 0; i < pinsPerRow; ++i) {
            cairo_rectangle(cr, x + 3 + i * pitch, y + 3 + row * pitch, 3, 3);
            setVerticalGradient(cr, y, y + 2 * pitch, Rgb{240, 210, 120}, Rgb{170, 130, 50});
            cairo_fill(cr);
        }
    silkText(cr, "J2", x - 2, y - 6, 8);
    silkText(cr, "EXPANSION", x + width - 48, y - 6, 8);
}

void mountingHole(cairo_t* cr, double x, double y) {
    cairo_arc(cr, x, y, 9, 0, 2 * pi);
    setColour(cr, tin);
    cairo_fill(cr);
    cairo_arc(cr, x, y, 5, 0, 2 * pi);
    setColour(cr, desk);
    cairo_fill(cr);
}

void drawPcb(cairo_t* cr) {
    setColour(cr, desk);
    cairo_paint(cr);
    roundedRect(cr, 4, 4, layout::boardWidth - 8, layout::boardHeight - 8, 14);
    cairo_pattern_t* shade =
        cairo_pattern_create_linear(0, 0, layout::boardWidth, layout::boardHeight);
    cairo_pattern_add_color_stop_rgb(shade, 0, maskLight.r / 255.0, maskLight.g / 255.0,
                                     maskLight.b / 255.0);
    cairo_pattern_add_color_stop_rgb(shade, 1, maskDark.r / 255.0, maskDark.g / 255.0,
                                     maskDark.b / 255.0);
    cairo_set_source(cr, shade);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(shade);
    setColour(cr, Rgb{60, 150, 96});
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    for (Point p : {Point{22, 22}, Point{534, 22}, Point{22, 578}, Point{534, 578}})
        mountingHole(cr, p.x, p.y);
}

// Speckles in the solder mask, from a fixed seed so every run draws the same board.
void drawMaskGrain(cairo_t* cr) {
    std::uint32_t state = 0x4B4F5256; // any fixed non-zero seed
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    for (int i = 0; i < 9000; ++i) {
        const double x = 8 + next() % (layout::boardWidth - 16);
        const double y = 8 + next() % (layout::boardHeight - 16);
        const bool light = next() % 2 == 0;
        cairo_rectangle(cr, x, y, 1, 1);
        setColour(cr, light ? Rgb{120, 200, 150} : Rgb{0, 40, 20}, 0.10);
        cairo_fill(cr);
    }
}

void drawTitle(cairo_t* cr) {
    useTypeface(cr, Typeface::sansBold, 30);
    setColour(cr, silk);
    cairo_move_to(cr, 40, 62);
    cairo_show_text(cr, "KORVEL");
    silkText(cr, "KV-1 MICROCOMPUTER KIT", 42, 78, 9.5);
    silkText(cr, "REV 1.2", 200, 46, 8);
}

void drawSpeaker(cairo_t* cr) {
    const double x = 478;
    const double y = 88;
    cairo_arc(cr, x, y, 57, 0, 2 * pi);
    setColour(cr, silk);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    cairo_arc(cr, x, y, 53, 0, 2 * pi);
    setVerticalGradient(cr, y - 53, y + 53, Rgb{200, 202, 206}, Rgb{96, 98, 104});
    cairo_fill(cr);
    cairo_arc(cr, x, y, 48, 0, 2 * pi);
    setColour(cr, Rgb{24, 24, 26});
    cairo_fill(cr);
    for (double r = 44; r > 16; r -= 5) {
        cairo_arc(cr, x, y, r, 0, 2 * pi);
        setColour(cr, Rgb{52, 52, 56});
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
    cairo_arc(cr, x, y, 14, 0, 2 * pi);
    cairo_pattern_t* dome = cairo_pattern_create_radial(x - 5, y - 5, 1, x, y, 14);
    cairo_pattern_add_color_stop_rgb(dome, 0, 0.45, 0.45, 0.48);
    cairo_pattern_add_color_stop_rgb(dome, 1, 0.08, 0.08, 0.09);
    cairo_set_source(cr, dome);
    cairo_fill(cr);
    cairo_pattern_destroy(dome);
    silkText(cr, "SP1", x - 56, y + 60, 8);
    silkText(cr, "SOUND", x + 14, y + 60, 8);
}

// The display module's pins, left to right, along its lower edge.
Point ledModulePin(int index) {
    return {104.0 + index * 15, 283};
}

// The digit resistors R1..R4 stand in a column; this is the left pad of each.
Point digitResistorPad(int index) {
    return {478, 236.0 + index * 16};
}

// A trace from `from` straight down or up to `lane`, along it to above or below
// `to`, and on to `to`, with its corners cut at 45 degrees.
void bus(cairo_t* cr, Point from, double lane, Point to, double width = 2.2) {
    const double down = lane > from.y ? 4 : -4;
    const double across = to.x > from.x ? 4 : -4;
    const double back = to.y > lane ? 4 : -4;
    trace(cr,
          {from,
           {from.x, lane - down},
           {from.x + across, lane},
           {to.x - across, lane},
           {to.x, lane + back},
           to},
          width);
}

void drawLogicTraces(cairo_t* cr) {
    // Data and address lines from the processor to the memory chips.
    for (int i = 0; i < 8; ++i)
        bus(cr, processor.pin(i, true), 168 + i * 4.5, monitorRom.pin(i, true));
    for (int i = 0; i < 5; ++i)
        bus(cr, processor.pin(9 + i, true), 206 + i * 4.5, ram.pin(i, true));
    // The processor's upper row runs off to the right towards the sound driver.
    for (int i = 0; i < 4; ++i) {
        const Point from = processor.pin(17 + i, false);
        const double lane = 88 - i * 4.5;
        trace(cr, {from, {from.x, lane + 4}, {from.x + 4, lane}, {404, lane}});
        pad(cr, 404, lane, 2.2);
    }
    // Segment lines from the display driver to the display's pins.
    for (int i = 0; i < 8; ++i)
        bus(cr, segmentDriver.pin(i, true), 292 + i * 4.0, ledModulePin(i), 1.8);
    // Digit lines from the scanner's upper row to the digit resistors.
    for (int i = 0; i < 4; ++i) {
        const Point from = keyScanner.pin(2 + i, false);
        const double lane = 216 + i * 4;
        const double side = 468 - i * 4;
        const Point to = digitResistorPad(i);
        trace(cr,
              {from,
               {from.x, lane + 4},
               {from.x + 4, lane},
               {side - 4, lane},
               {side, lane + 4},
               {side, to.y - 4},
               {side + 4, to.y},
               to},
              1.8);
    }
    // Scan lines from the scanner down the side of the keypad to its rows.
    for (int i = 0; i < 5; ++i) {
        const Point from = keyScanner.pin(i, true);
        const double lane = 292 + i * 4.5;
        const double side = 294 - i * 4.5;
        const double row = 392 + i * 39.5;
        trace(cr,
              {from,
               {from.x, lane - 4},
               {from.x - 4, lane},
               {side + 4, lane},
               {side, lane + 4},
               {side, row - 4},
               {side + 4, row},
               {298, row}},
              1.8);
        pad(cr, 298, row, 2.0);
    }
    // Crystal load capacitors to the ground rail.
    for (double y : {265.0, 291.0}) trace(cr, {{38, y}, {14, y}}, 1.8);
    trace(cr, {{36, 231}, {26, 231}, {26, 258}, {38, 262}}, 1.8);
    // Supply rail up the left edge to the processor.
    trace(cr,
          {{60, 547}, {60, 530}, {14, 530}, {14, 96}, {18, 92}, {38, 92}, processor.pin(0, false)},
          4.0);
}

void drawLedModule(cairo_t* cr) {
    const double left = 95;
    const double top = 223;
    const double width = 134;
    const double height = 52;
    silkBox(cr, left - 4, top - 4, width + 8, height + 8);
    for (int i = 0; i < 8; ++i) pad(cr, ledModulePin(i).x, ledModulePin(i).y, 2.2);
    roundedRect(cr, left, top, width, height, 3);
    setVerticalGradient(cr, top, top + height, Rgb{44, 44, 48}, Rgb{16, 16, 18});
    cairo_fill(cr);
    // The window: the same dark brown as the strip's cell background, so that
    // cells and gaps read as one display.
    cairo_rectangle(cr, 102, 230, 120, 38);
    setColour(cr, ledBackground);
    cairo_fill(cr);
    silkText(cr, "LED1", left - 4, top - 8, 8);
    silkText(cr, "DISPLAY", left + width - 40, top - 8, 8);
}

void drawQuickReference(cairo_t* cr) {
    const double left = 26;
    const double top = 320;
    silkBox(cr, left, top, 240, 188, 4);
    silkCentred(cr, "QUICK REFERENCE", left + 120, top + 18, 10);
    cairo_move_to(cr, left + 10, top + 26.5);
    cairo_line_to(cr, left + 230, top + 26.5);
    setColour(cr, silk);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    const char* lines[][2] = {
        {"ADR", "ADDRESS := DIGITS"},      {"READ", "SHOW GROUP, ADDR+4"},
        {"WRITE", "STORE GROUP, ADDR+4"},  {"CLEAR", "DIGITS := 0000"},
        {"0 RUN", "PLAY THE TUNE"},        {"C RUN", "KEYBOARD MODE"},
        {"STOP", "STOP, SHOW CLOCK"},      {"@0000", "WRITE SETS TUNE START"},
        {"@000E", "WRITE SETS TEMPO 0-F"},
    };
    double baseline = top + 44;
    for (const auto& line : lines) {
        silkText(cr, line[0], left + 12, baseline, 9);
        silkText(cr, line[1], left + 72, baseline, 9);
        baseline += 16;
    }
}

void drawPowerSection(cairo_t* cr) {
    // Battery connector at the lower left edge.
    for (int i = 0; i < 2; ++i) {
        roundedRect(cr, 30 + i * 16, 536, 12, 22, 2);
        setColour(cr, Rgb{236, 236, 232});
        cairo_fill(cr);
        pad(cr, 36 + i * 16, 547, 2.4);
    }
    silkText(cr, "+", 33, 532, 9);
    silkText(cr, "-", 50, 532, 9);
    silkText(cr, "J1 6V", 30, 572, 8);
    electrolytic(cr, 96, 548, 11, "C1");
    resistor(cr, 160, 540, {brown, blackBand, red, gold}, "R9");
    ceramicCapacitor(cr, 160, 560, "C2");
    trace(cr, {{52, 547}, {70, 547}, {74, 551}, {85, 551}});
    trace(cr, {{107, 548}, {130, 548}, {136, 542}, {144, 540}});
}

void drawSupportParts(cairo_t* cr) {
    crystal(cr, 36, 232 - 6, "X1");
    ceramicCapacitor(cr, 44, 258, "C3");
    ceramicCapacitor(cr, 44, 284, "C4");
    electrolytic(cr, 380, 196, 9, "C5");
    ceramicCapacitor(cr, 410, 196, "C6");
    resistor(cr, 500, 196, {brown, blackBand, orange, gold}, "R10");
    for (int i = 0; i < 4; ++i)
        resistor(cr, digitResistorPad(i).x + 16, digitResistorPad(i).y,
                 {yellow, violet, brown, gold}, "R" + std::to_string(i + 1));
    expansionHeader(cr, 440, 312);
}

void drawChips(cairo_t* cr) {
    for (const Dip& chip : {processor, monitorRom, ram, segmentDriver, keyScanner})
        drawDip(cr, chip);
}

// Two beamed quavers in silk screen, centred on (x, y).
void drawNotes(cairo_t* cr, double x, double y) {
    setColour(cr, silk);
    for (double dx : {-7.0, 7.0}) {
        cairo_save(cr);
        cairo_translate(cr, x + dx - 2.5, y + 8);
        cairo_rotate(cr, -0.35);
        cairo_scale(cr, 1.35, 1.0);
        cairo_arc(cr, 0, 0, 3.2, 0, 2 * pi);
        cairo_restore(cr);
        cairo_fill(cr);
        cairo_rectangle(cr, x + dx + 1.2, y - 10, 1.4, 18);
        cairo_fill(cr);
    }
    cairo_move_to(cr, x - 5.8, y - 10);
    cairo_line_to(cr, x + 8.6, y - 13);
    cairo_line_to(cr, x + 8.6, y - 9);
    cairo_line_to(cr, x - 5.8, y - 6);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void drawKeypadFrame(cairo_t* cr) {
    silkBox(cr, 300, 365, 214, 214, 4);
    silkText(cr, "KEYPAD", 300, 360, 8);
    silkText(cr, "SW1-22", 472, 360, 8);
    drawNotes(cr, 486.5, 512);
}

} // namespace

Image renderBoard(bool keysPressed, int scale) {
    Canvas canvas(layout::boardWidth * scale, layout::boardHeight * scale);
    cairo_t* cr = canvas.cr();
    cairo_scale(cr, scale, scale);
    drawPcb(cr);
    drawMaskGrain(cr);
    drawLogicTraces(cr);
    drawTitle(cr);
    drawSpeaker(cr);
    drawChips(cr);
    drawSupportParts(cr);
    drawLedModule(cr);
    drawQuickReference(cr);
    drawPowerSection(cr);
    drawKeypadFrame(cr);
    for (int k = 0; k < keyCount; ++k) drawKey(cr, keyFaces[k], layout::keyPlaces[k], keysPressed);
    Image board = canvas.flatten(desk);
    const Image blankDigit = renderLedCell(0, scale);
    for (int position = 0; position < layout::ledPositions; ++position)
        board.paste(blankDigit, layout::ledCellLeft(position) * scale, layout::ledTop * scale);
    return board;
}

} // namespace korvel::art
