#include "map/gif_io.h"

#include <gif_lib.h>

#include <cerrno>
#include <memory>
#include <new>
#include <vector>

#include "base/cformat.h"
#include "base/output_file.h"
#include "base/safe_file.h"

namespace skywave {

namespace {

constexpr Pixel kColourBits = 0x00ffffffu;

// The picture grows in memory. No exception may pass through the library's C code,
// so a failed allocation is a short write there and is thrown again once it returns.
struct GifBuffer {
    std::string bytes;
    bool out_of_memory = false;
};

int append_bytes(GifFileType* gif, const GifByteType* data, int length) {
    auto* buffer = static_cast<GifBuffer*>(gif->UserData);
    try {
        buffer->bytes.append(reinterpret_cast<const char*>(data), std::size_t(length));
    } catch (const std::bad_alloc&) {
        buffer->out_of_memory = true;
        return 0;
    }
    return length;
}

struct CloseGif {
    void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};
using GifHandle = std::unique_ptr<GifFileType, CloseGif>;

// The palette index of a pixel, or -1. Alpha is ignored, as the PNG writer ignores it.
//
// A colour outside the palette is refused rather than replaced by its nearest
// neighbour: every picture the map composes is drawn in the 16 colours (the world map,
// the tiles, XOR on palette indices, AND and OR of palette colours the map uses), so a
// stray colour is a fault of the composition, and an animation that quietly differs
// from the PNG of the same screen would hide it.
int palette_slot(Pixel p) {
    for (std::size_t i = 0; i < kMapPalette.size(); ++i)
        if (((kMapPalette[i] ^ p) & kColourBits) == 0) return int(i);
    return -1;
}

// Tells the viewer to repeat the animation for ever (a loop count of 0).
bool put_looping(GifFileType* gif) {
    static const GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A',
                                              'P', 'E', '2', '.', '0'};
    static const GifByteType loop_forever[] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof application, application) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof loop_forever, loop_forever) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

// The delay before the next frame, then the frame, each row turned into palette
// indices. False with the message in error.
bool put_frame(GifFileType* gif, const GifAnimation& a, const Surface& s, int index,
               const std::string& file_name, std::string& error) {
    if (a.x < 0 || a.y < 0 || a.x + a.width > s.width() || a.y + a.height > s.height()) {
        error = cformat("%s: frame %d is %d x %d pixels, too small for the picture",
                        file_name.c_str(), index + 1, s.width(), s.height());
        return false;
    }
    GraphicsControlBlock control{};
    // Each frame covers the whole picture, so what lies under it does not matter.
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = (a.delay_ms + 5) / 10;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const std::size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) != GIF_OK ||
        EGifPutImageDesc(gif, 0, 0, a.width, a.height, false, nullptr) != GIF_OK) {
        error = file_name + ": " + GifErrorString(gif->Error);
        return false;
    }
    std::vector<GifPixelType> row(std::size_t(a.width));
    for (int j = 0; j < a.height; ++j) {
        for (int i = 0; i < a.width; ++i) {
            const Pixel p = s.pixel(a.x + i, a.y + j);
            const int slot = palette_slot(p);
            if (slot < 0) {
                error = cformat(
                    "%s: frame %d has the colour #%06X at (%d, %d), which is not one of "
                    "the map's 16 colours",
                    file_name.c_str(), index + 1, unsigned(p & kColourBits), a.x + i, a.y + j);
                return false;
            }
            row[std::size_t(i)] = GifPixelType(slot);
        }
        if (EGifPutLine(gif, row.data(), a.width) != GIF_OK) {
            error = file_name + ": " + GifErrorString(gif->Error);
            return false;
        }
    }
    return true;
}

}  // namespace

GifOutcome write_gif(const std::string& file_name, const GifAnimation& a,
                     const GifFrameSource& frame, std::string& error, const GifProgress& progress) {
    if (a.delay_ms < 10 || a.delay_ms > 655350) {
        error = cformat("%s: a frame's delay is %d ms; a GIF can show one for 10 ms to 655350 ms",
                        file_name.c_str(), a.delay_ms);
        return GifOutcome::failed;
    }
    if (a.width < 1 || a.height < 1 || a.width > 65535 || a.height > 65535 || a.frame_count < 1) {
        error = cformat("%s: no animation of %d frames of %d x %d pixels", file_name.c_str(),
                        a.frame_count, a.width, a.height);
        return GifOutcome::failed;
    }
    GifColorType colours[kMapPalette.size()];
    for (std::size_t i = 0; i < kMapPalette.size(); ++i)
        colours[i] = {GifByteType(kMapPalette[i] >> 16), GifByteType(kMapPalette[i] >> 8),
                      GifByteType(kMapPalette[i])};
    ColorMapObject palette{int(kMapPalette.size()), 4, false, colours};

    GifBuffer buffer;
    int open_error = 0;
    GifHandle gif(EGifOpen(&buffer, append_bytes, &open_error));
    if (!gif) {
        if (open_error == E_GIF_ERR_NOT_ENOUGH_MEM) throw std::bad_alloc();
        error = file_name + ": " + GifErrorString(open_error);
        return GifOutcome::failed;
    }
    // Delays and looping are GIF89a extensions.
    EGifSetGifVersion(gif.get(), true);
    const auto failed = [&](const char* cause) {
        if (buffer.out_of_memory) throw std::bad_alloc();
        if (cause) error = file_name + ": " + cause;
        return GifOutcome::failed;
    };
    if (EGifPutScreenDesc(gif.get(), a.width, a.height, 8, 0, &palette) != GIF_OK ||
        !put_looping(gif.get()))
        return failed(GifErrorString(gif->Error));
    for (int index = 0; index < a.frame_count; ++index) {
        const Surface* s = frame(index);
        if (!s) return GifOutcome::stopped;
        if (!put_frame(gif.get(), a, *s, index, file_name, error)) return failed(nullptr);
        if (progress) progress(index + 1);
    }
    int close_error = 0;
    const int closed = EGifCloseFile(gif.release(), &close_error);
    if (buffer.out_of_memory) throw std::bad_alloc();
    if (closed != GIF_OK) return failed(GifErrorString(close_error));

    // Complete or not at all: the animation replaces an older one only once written.
    if (const int err = replace_file(file_name, buffer.bytes)) {
        error = err == EWOULDBLOCK ? busy_text(file_name) : creation_failure(file_name, err);
        return GifOutcome::failed;
    }
    return GifOutcome::written;
}

}  // namespace skywave
