// artgen: draws every picture of the simulator's resources and writes them into
// the given folder (normally resources/): the board, the LED strip and the two
// key sheets, each also at twice the size, the About dialog's logo and mascot
// with their masks, the icon, and the icon's PNGs for desktop installation.
#include "tools/artgen/bmpFile.h"
#include "tools/artgen/board.h"
#include "tools/artgen/keypad.h"
#include "tools/artgen/ledStrip.h"
#include "tools/artgen/logo.h"
#include "tools/artgen/mascot.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace korvel::art;

// The usual face colour of dialogs, which the About pictures' soft edges are blended over.
constexpr Rgb dialogFace{240, 240, 240};

void writeMaskedPicture(const std::string& folder, const std::string& name, const Canvas& canvas) {
    const MaskedPicture art(canvas, dialogFace);
    writeBmpFile(folder + "/" + name + ".bmp", art.picture);
    writeBmpFile(folder + "/" + name + "m.bmp", art.mask);
}

void writeAboutPictures(const std::string& folder) {
    Canvas logo(logoWidth, logoHeight);
    drawLogo(logo.cr());
    writeMaskedPicture(folder, "logo", logo);
    Canvas boy(mascotWidth, mascotHeight);
    drawMascot(boy.cr());
    writeMaskedPicture(folder, "boy", boy);
}

void writeIcon(const std::string& folder) {
    std::vector<IconImage> images;
    for (int size : {48, 32, 16}) {
        Canvas face(size, size);
        drawMascotFace(face.cr(), size);
        images.push_back(iconImage(face));
    }
    writeFileBytes(folder + "/korvel.ico", encodeIco(images));
}

// Desktops that take the icon as one PNG a size (freedesktop icon themes), and
// the web app, whose home screens ask for 192 and 512 px.
constexpr int pngIconSizes[] = {16, 24, 32, 48, 64, 128, 192, 256, 512};

void writePngIcons(const std::string& folder) {
    const std::string icons = folder + "/icons";
    std::filesystem::create_directories(icons);
    for (int size : pngIconSizes) {
        Canvas face(size, size);
        drawMascotFace(face.cr(), size);
        writeFileBytes(icons + "/korvel-" + std::to_string(size) + ".png", face.png());
    }
}

// The key sheets are the keypad region of the board cut out.
Image keypadOf(const Image& board, int scale) {
    const korvel::layout::Place& keypad = korvel::layout::keypad;
    return board.crop(keypad.x * scale, keypad.y * scale, keypad.width * scale,
                      keypad.height * scale);
}

// The window's pictures at `scale` times the size; the larger ones are named with
// the "@2x" suffix by which Qt picks them on screens of that pixel ratio.
void writePanelPictures(const std::string& folder, int scale) {
    const std::string suffix = scale == 1 ? "" : "@" + std::to_string(scale) + "x";
    const auto path = [&](const char* name) { return folder + "/" + name + suffix + ".bmp"; };
    const Image released = renderBoard(false, scale);
    writeBmpFile(path("base"), released);
    writeBmpFile(path("key"), keypadOf(released, scale));
    writeBmpFile(path("push"), keypadOf(renderBoard(true, scale), scale));
    writeBmpFile(path("led"), renderLedStrip(scale));
}

void writeAll(const std::string& folder) {
    for (int scale : {1, 2}) writePanelPictures(folder, scale);
    writeAboutPictures(folder);
    writeIcon(folder);
    writePngIcons(folder);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: artgen FOLDER\n"
                     "Draws the simulator's bitmaps and icon into FOLDER (normally resources/).\n";
        return 2;
    }
    int status = 0;
    try {
        writeAll(argv[1]);
    } catch (const std::exception& error) {
        std::cerr << "artgen: " << error.what() << '\n';
        status = 1;
    }
    // Let leak checkers see only what this program failed to release.
    cairo_debug_reset_static_data();
    FcFini();
    return status;
}
