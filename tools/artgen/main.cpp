// artgen: draws every picture of the simulator's resources and writes them into
// the given folder (normally resources/): the board, the LED strip, the two key
// sheets, the About dialog's logo and mascot with their masks, and the icon.
#include "bmpFile.h"
#include "board.h"
#include "keypad.h"
#include "ledStrip.h"
#include "logo.h"
#include "mascot.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <exception>
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

// The key sheets are the keypad region of the board cut out.
Image keypadOf(const Image& board) {
    const korvel::layout::Place& keypad = korvel::layout::keypad;
    return board.crop(keypad.x, keypad.y, keypad.width, keypad.height);
}

void writeAll(const std::string& folder) {
    const Image released = renderBoard(false);
    writeBmpFile(folder + "/base.bmp", released);
    writeBmpFile(folder + "/key.bmp", keypadOf(released));
    writeBmpFile(folder + "/push.bmp", keypadOf(renderBoard(true)));
    writeBmpFile(folder + "/led.bmp", renderLedStrip());
    writeAboutPictures(folder);
    writeIcon(folder);
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
