#include "png_io.h"

#include <png.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace skywave {

std::optional<Surface> decode_png(const unsigned char* data, std::size_t size) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) return std::nullopt;
    image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
    Surface s(int(image.width), int(image.height));
    if (!png_image_finish_read(&image, nullptr, s.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return s;
}

bool write_png(const std::string& file_name, const Surface& s, int x, int y, int w, int h,
               std::string& error) {
    std::vector<unsigned char> rgb(std::size_t(w) * std::size_t(h) * 3);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const Pixel p = s.pixel(x + i, y + j);
            unsigned char* o = &rgb[(std::size_t(j) * std::size_t(w) + std::size_t(i)) * 3];
            o[0] = (p >> 16) & 0xff;
            o[1] = (p >> 8) & 0xff;
            o[2] = p & 0xff;
        }
    std::FILE* f = std::fopen(file_name.c_str(), "wb");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(w);
    image.height = png_uint_32(h);
    image.format = PNG_FORMAT_RGB;
    const bool encoded = png_image_write_to_stdio(&image, f, 0, rgb.data(), 0, nullptr) != 0;
    if (!encoded) error = image.message;
    const bool flushed = std::fflush(f) == 0 && !std::ferror(f);
    if (encoded && !flushed) error = std::strerror(errno);
    const bool closed = std::fclose(f) == 0;
    if (encoded && flushed && !closed) error = std::strerror(errno);
    if (!(encoded && flushed && closed)) {
        std::remove(file_name.c_str());  // no half-written picture is left behind
        return false;
    }
    return true;
}

}  // namespace skywave
