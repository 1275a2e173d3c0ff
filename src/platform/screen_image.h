#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/geometry.h"
#include "platform/pixels.h"

// Shaping the ScreenImage of a grab, as every backend does it: its size, the
// block the system copied out, and black where no monitor shows anything.

namespace tintora {

// Gives image the size width x height, a negative size counting as 0. An
// image of that size already keeps its pixels, so one reused from grab to
// grab costs nothing; one of another size is all black.
void resizeImage(ScreenImage& image, int width, int height);

// Every pixel of image black.
void clearImage(ScreenImage& image);

// Copies width x height pixels, rows stride pixels apart from pixels on, into
// image with their top-left pixel at `at` (in the image), each pixel's top
// byte cleared (screen reads leave it undefined). What falls outside the image
// is left out.
void copyBlock(ScreenImage& image, Point at, const std::uint32_t* pixels, std::size_t stride, int width, int height);

// Blacks out every pixel of image that none of monitors shows; the image's
// top-left pixel is the screen's pixel at origin. Empty monitors show
// nothing. When one monitor shows the whole image, this costs a look at each
// monitor and no more.
void blackOutside(ScreenImage& image, Point origin, std::span<const Rect> monitors);

} // namespace tintora
