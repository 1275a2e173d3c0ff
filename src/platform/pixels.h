#pragma once

#include <vector>

#include "core/colour_types.h"
#include "core/geometry.h"
#include "platform/interface.h"

namespace tintora {

// A block of screen pixels, row by row.
struct ScreenImage {
    int width = 0;
    int height = 0;
    std::vector<ImagePixel> pixels;
};

// What the monitors show: single pixels for the readouts, blocks for the
// magnifier and the pipette.
class Pixels : public Interface {
public:
    // Whether pixels can be read at all now (a screen cast that has ended,
    // say, reads nothing any more).
    virtual bool canReadPixels() = 0;

    // Colour value of the pixel at p, or InvalidColour when it cannot be read
    // (a point no monitor shows, say).
    virtual ColourValue pixel(Point p) = 0;

    // Copies exactly rect into image (resized only when the size changes);
    // parts that no monitor shows are black. False when nothing could be read,
    // the image then all black.
    virtual bool grab(Rect rect, ScreenImage& image) = 0;
};

} // namespace tintora
