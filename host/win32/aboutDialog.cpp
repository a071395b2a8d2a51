// About dialog: masked pictures and the one way to close it.
#include "host/win32/aboutDialog.h"

#include "host/win32/bitmapCopy.h"

namespace korvel::win32 {
namespace {

const char* const aboutTemplate = "ABOUT";

// A picture and its mask: the mask (white where the dialog shows through) is
// ANDed in, then the picture (black there) ORed over it.
struct MaskedPicture {
    const char* mask;
    const char* picture;
    int x, y, width, height;
};
constexpr MaskedPicture logo = {"LOGOM", "LOGO", 151, 0, 350, 99};
constexpr MaskedPicture mascot = {"BOYM", "BOY", 0, 0, 150, 203};

void drawMasked(HDC dc, HINSTANCE module, const MaskedPicture& p) {
    copyFromBitmap(dc, module, p.mask, {p.x, p.y, p.width, p.height, 0, 0, SRCAND});
    copyFromBitmap(dc, module, p.picture, {p.x, p.y, p.width, p.height, 0, 0, SRCPAINT});
}

} // namespace

void showAboutDialog(HWND owner) {
    DialogBoxParamA(moduleOf(owner), aboutTemplate, owner, aboutDialogProc, 0);
}

// OK, Enter, Esc and the close box all arrive as a command and end it alike.
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(dialog, &paint);
        drawMasked(dc, moduleOf(dialog), logo);
        drawMasked(dc, moduleOf(dialog), mascot);
        EndPaint(dialog, &paint);
        return TRUE;
    }
    case WM_COMMAND: EndDialog(dialog, 1); return TRUE;
    default: return FALSE;
    }
}

} // namespace korvel::win32
