// Skin bitmaps loaded from the program's resources, for OwnedImages.
#pragma once

#include <windows.h>

#include "win/App.h"

namespace ui {

struct ResourceBitmapTraits {
    using Handle = HBITMAP;
    static Handle Load(unsigned id) {
        return ::LoadBitmapA(win::ResourceInstance(), MAKEINTRESOURCEA(id));
    }
    static void Free(Handle h) { ::DeleteObject(h); }
};

}  // namespace ui
