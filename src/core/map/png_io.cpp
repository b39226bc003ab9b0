#include "map/png_io.h"

#include <png.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "base/output_file.h"
#include "base/safe_file.h"

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
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(w);
    image.height = png_uint_32(h);
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(image, size, 0, rgb.data(), 0, nullptr)) {
        error = file_name + ": " + image.message;
        return false;
    }
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr)) {
        error = file_name + ": " + image.message;
        return false;
    }
    bytes.resize(size);
    // Complete or not at all: the picture replaces an older one only once written.
    if (const int err = replace_file(file_name, bytes)) {
        error = err == EWOULDBLOCK ? busy_text(file_name) : creation_failure(file_name, err);
        return false;
    }
    return true;
}

}  // namespace skywave
