// A picture in memory: 32-bit RGB pixels (0xffRRGGBB) with the block transfers a map
// composition needs: copy, XOR, AND and OR, plain or stretched, and single pixels.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace skywave {

using Pixel = std::uint32_t;

inline constexpr Pixel rgb(int r, int g, int b) {
    return 0xff000000u | (Pixel(r & 0xff) << 16) | (Pixel(g & 0xff) << 8) | Pixel(b & 0xff);
}

// The sixteen colours the map's pictures are drawn in, in the order of the classic
// 4-bit palette: a colour's position is the index XOR works on.
inline constexpr std::array<Pixel, 16> kMapPalette = {
    rgb(0, 0, 0),       rgb(128, 0, 0),   rgb(0, 128, 0),   rgb(128, 128, 0),
    rgb(0, 0, 128),     rgb(128, 0, 128), rgb(0, 128, 128), rgb(192, 192, 192),
    rgb(128, 128, 128), rgb(255, 0, 0),   rgb(0, 255, 0),   rgb(255, 255, 0),
    rgb(0, 0, 255),     rgb(255, 0, 255), rgb(0, 255, 255), rgb(255, 255, 255),
};

// XOR combines colours of the map's 16-colour palette by their palette indices, as
// a 4-bit picture does (red over grey land turns dark red); other colours bit by bit.
enum class RasterOp { copy, xor_, and_, or_, blackness };

// How a stretched transfer combines the source pixels that fall on one destination
// pixel when it shrinks: AND (dark pixels win) or OR (bright pixels win).
enum class StretchMode { and_ = 1, or_ = 2 };

class Surface {
public:
    Surface() = default;
    Surface(int width, int height, Pixel fill = rgb(0, 0, 0));

    int width() const { return width_; }
    int height() const { return height_; }
    Pixel* data() { return pixels_.data(); }
    const Pixel* data() const { return pixels_.data(); }

    Pixel pixel(int x, int y) const {
        return pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)];
    }
    // Single pixels outside the surface are ignored.
    void set_pixel(int x, int y, Pixel p);
    void fill(Pixel p);
    void fill_rect(int x, int y, int w, int h, Pixel p);

    // Transfers a w x h block from (sx, sy) of src to (x, y). Source pixels beyond
    // the source's edge repeat it (a 20-pixel tile fills a 32-pixel cell);
    // destination pixels outside this surface are clipped.
    void blit(int x, int y, int w, int h, const Surface& src, int sx, int sy, RasterOp op);
    // Transfers the whole of src stretched onto the w x h rectangle at (x, y).
    void stretch_blit(int x, int y, int w, int h, const Surface& src, RasterOp op,
                      StretchMode mode);

private:
    int width_ = 0, height_ = 0;
    std::vector<Pixel> pixels_;
};

}  // namespace skywave
