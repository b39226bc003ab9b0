// PNG pictures in and out.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "map/surface.h"

namespace skywave {

// Decodes a PNG held in memory; nothing when it is not a readable PNG.
std::optional<Surface> decode_png(const unsigned char* data, std::size_t size);

// Writes the w x h rectangle at (x, y) of the surface as an RGB PNG. False when the
// file could not be written, with the message in error ("NAME: cause", or "NAME is
// being written by another process").
bool write_png(const std::string& file_name, const Surface& s, int x, int y, int w, int h,
               std::string& error);

}  // namespace skywave
