#include "desktop/TrayIcon.h"

#include <algorithm>
#include <cmath>

namespace {

struct Pixel {
    uint8_t alpha, red, green, blue;
};

// A disc with a play triangle cut out of it; the rim blended over one pixel (`pixel` wide).
Pixel pixelAt(double x, double y, double pixel) {
    const double disc = std::clamp((1.0 - std::hypot(x, y)) / pixel, 0.0, 1.0);
    // The triangle points right: left edge at x = -0.3, tip at x = 0.45.
    const double inTriangle = x > -0.3 && std::abs(y) < (0.45 - x) * 0.6 ? 1.0 : 0.0;
    const auto alpha = static_cast<uint8_t>(std::lround(255.0 * disc * (1.0 - inTriangle)));
    return {alpha, 0x2b, 0x6c, 0xc4};
}

}  // namespace

std::vector<uint8_t> trayIconPixels(int size) {
    std::vector<uint8_t> pixels;
    pixels.reserve(static_cast<size_t>(size) * static_cast<size_t>(size) * 4);
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            // The pixel's centre in -1..1.
            const double x = (column + 0.5) / size * 2.0 - 1.0;
            const double y = (row + 0.5) / size * 2.0 - 1.0;
            const Pixel p = pixelAt(x, y, 2.0 / size);
            pixels.insert(pixels.end(), {p.alpha, p.red, p.green, p.blue});
        }
    }
    return pixels;
}
