// Animated GIF pictures out: the screens of a prediction file shown one after another.
#pragma once

#include <functional>
#include <string>

#include "map/surface.h"

namespace skywave {

// The frames of an animation: the w x h rectangle at (x, y) of each of frame_count
// surfaces, every one shown for delay_ms milliseconds, the whole repeated for ever.
struct GifAnimation {
    int x = 0, y = 0, width = 0, height = 0;
    int frame_count = 0;
    // From 10 ms to 655350 ms: a GIF counts hundredths of a second in 16 bits; the
    // delay is rounded to the nearest hundredth.
    int delay_ms = 500;
};

// Draws frame `index` (from 0) and returns the surface holding it, valid until the next
// call; null asks the writer to stop, and nothing is written.
using GifFrameSource = std::function<const Surface*(int index)>;
// Called after each frame is encoded with the number of frames done.
using GifProgress = std::function<void(int frames_done)>;

enum class GifOutcome { written, stopped, failed };

// Writes the animation to file_name, asking for the frames one at a time so a long
// prediction file is never held whole. The file is replaced only once the picture is
// complete: a failure or a stop leaves what was there before. Every pixel must be one
// of the map's 16 colours; failed, with the message in error ("NAME: cause", or "NAME
// is being written by another process"), when one is not or the file could not be
// written.
GifOutcome write_gif(const std::string& file_name, const GifAnimation& animation,
                     const GifFrameSource& frame, std::string& error,
                     const GifProgress& progress = {});

}  // namespace skywave
