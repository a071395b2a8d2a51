// Copies from bitmap resources onto a device context.
//
// Every painter of the front end (board, LED digits, keys, About pictures)
// loads its bitmap by resource name for each copy and releases it right after:
// nothing graphical is cached. Coordinates are pixels.
#pragma once

#include <windows.h>

namespace korvel::win32 {

struct BitmapCopy {
    int destX, destY;
    int width, height;
    int sourceX, sourceY;
    DWORD rasterOp; // SRCCOPY, SRCAND or SRCPAINT
};

// The module instance a window was created with; resources are loaded from it.
HINSTANCE moduleOf(HWND window);

// A bitmap that cannot be loaded leaves the target as it was.
void copyFromBitmap(HDC target, HINSTANCE module, const char* name, const BitmapCopy& copy);
// Copies the whole bitmap, at its own size, to (0, 0).
void copyWholeBitmap(HDC target, HINSTANCE module, const char* name);

} // namespace korvel::win32
