// The owning handle of a FreeImage bitmap. Every step of the chain takes one
// and gives one back, so a bitmap is unloaded exactly once whatever path a
// step takes. Only forward declarations here: code that includes this header
// (the desktop among it) never sees FreeImage's BOOL/TRUE/BYTE macros.
#pragma once

#include <memory>

struct FIBITMAP;

namespace orvex {

struct BitmapDeleter {
    void operator()(FIBITMAP* bitmap) const noexcept;
};

using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

// Takes ownership of a bitmap a FreeImage call returned (null stays null).
inline Bitmap AdoptBitmap(FIBITMAP* bitmap) { return Bitmap(bitmap); }

}  // namespace orvex
