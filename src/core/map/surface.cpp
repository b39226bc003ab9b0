#include "map/surface.h"

#include <algorithm>

namespace skywave {

namespace {

constexpr Pixel kOpaque = 0xff000000u;

int palette_index(Pixel p) {
    p |= kOpaque;
    for (std::size_t i = 0; i < kMapPalette.size(); ++i)
        if (kMapPalette[i] == p) return int(i);
    return -1;
}

// XOR of two colours as a 4-bit picture combines them: on the palette's indices, so
// that a red cell over grey land turns dark red instead of a grey that hides it.
// Colours outside the palette combine bit by bit.
Pixel exclusive_or(Pixel dst, Pixel src) {
    const int d = palette_index(dst), s = palette_index(src);
    if (d >= 0 && s >= 0) return kMapPalette[std::size_t(d ^ s)];
    return ((dst ^ src) & 0x00ffffffu) | kOpaque;
}

Pixel apply(RasterOp op, Pixel dst, Pixel src) {
    switch (op) {
        case RasterOp::copy:
            return src | kOpaque;
        case RasterOp::xor_:
            return exclusive_or(dst, src);
        case RasterOp::and_:
            return (dst & src) | kOpaque;
        case RasterOp::or_:
            return dst | src | kOpaque;
        case RasterOp::blackness:
            return kOpaque;
    }
    return dst;
}

int wrap(int v, int n) {
    return ((v % n) + n) % n;
}

}  // namespace

Surface::Surface(int width, int height, Pixel fill)
    : width_(width), height_(height), pixels_(std::size_t(width) * std::size_t(height), fill) {}

void Surface::set_pixel(int x, int y, Pixel p) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] = p;
}

void Surface::fill(Pixel p) {
    std::fill(pixels_.begin(), pixels_.end(), p);
}

void Surface::fill_rect(int x, int y, int w, int h, Pixel p) {
    for (int j = std::max(0, y); j < std::min(height_, y + h); ++j)
        for (int i = std::max(0, x); i < std::min(width_, x + w); ++i)
            set_pixel(i, j, p);
}

void Surface::blit(int x, int y, int w, int h, const Surface& src, int sx, int sy, RasterOp op) {
    if (src.width_ == 0 || src.height_ == 0) return;
    for (int j = 0; j < h; ++j) {
        const int dy = y + j;
        if (dy < 0 || dy >= height_) continue;
        const int srow = wrap(sy + j, src.height_);
        for (int i = 0; i < w; ++i) {
            const int dx = x + i;
            if (dx < 0 || dx >= width_) continue;
            Pixel& d = pixels_[std::size_t(dy) * std::size_t(width_) + std::size_t(dx)];
            d = apply(op, d, src.pixel(wrap(sx + i, src.width_), srow));
        }
    }
}

void Surface::stretch_blit(int x, int y, int w, int h, const Surface& src, RasterOp op,
                           StretchMode mode) {
    if (w <= 0 || h <= 0 || src.width_ == 0 || src.height_ == 0) return;
    for (int j = 0; j < h; ++j) {
        // Source rows that fall on destination row j: all of them when shrinking,
        // the nearest one when enlarging.
        const int y0 = j * src.height_ / h;
        const int y1 = std::max(y0 + 1, (j + 1) * src.height_ / h);
        for (int i = 0; i < w; ++i) {
            const int x0 = i * src.width_ / w;
            const int x1 = std::max(x0 + 1, (i + 1) * src.width_ / w);
            Pixel p = mode == StretchMode::and_ ? 0xffffffffu : 0u;
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx)
                    p = mode == StretchMode::and_ ? (p & src.pixel(sx, sy))
                                                  : (p | src.pixel(sx, sy));
            const int dx = x + i, dy = y + j;
            if (dx < 0 || dy < 0 || dx >= width_ || dy >= height_) continue;
            Pixel& d = pixels_[std::size_t(dy) * std::size_t(width_) + std::size_t(dx)];
            d = apply(op, d, p);
        }
    }
}

}  // namespace skywave
