// Resource bitmap copies through a temporary memory device context.
#include "host/win32/bitmapCopy.h"

namespace korvel::win32 {
namespace {

template <typename Copy>
void withBitmap(HDC target, HINSTANCE module, const char* name, Copy copy) {
    HBITMAP bitmap = LoadBitmapA(module, name);
    if (!bitmap) return;
    HDC memory = CreateCompatibleDC(target);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    copy(memory, bitmap);
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

} // namespace

HINSTANCE moduleOf(HWND window) {
    return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

void copyFromBitmap(HDC target, HINSTANCE module, const char* name, const BitmapCopy& copy) {
    withBitmap(target, module, name, [&](HDC memory, HBITMAP) {
        BitBlt(target, copy.destX, copy.destY, copy.width, copy.height, memory, copy.sourceX,
               copy.sourceY, copy.rasterOp);
    });
}

void copyWholeBitmap(HDC target, HINSTANCE module, const char* name) {
    withBitmap(target, module, name, [&](HDC memory, HBITMAP bitmap) {
        BITMAP size{};
        GetObjectA(bitmap, sizeof size, &size);
        BitBlt(target, 0, 0, size.bmWidth, size.bmHeight, memory, 0, 0, SRCCOPY);
    });
}

} // namespace korvel::win32
