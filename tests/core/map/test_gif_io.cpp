#include <gtest/gtest.h>

#include "map/gif_io.h"
#include "test_support.h"

using namespace skywave;

// A stray colour inside the picture is refused, never rounded to a palette colour, and a
// refused or stopped animation leaves the older file as it was; one outside the
// rectangle is no part of the picture.
TEST(GifWriter, WritesOnlyWholeAnimationsInTheMapsColours) {
    test::TempDir dir;
    const std::string name = dir.file("a.gif");
    test::write_file(name, "older picture");
    Surface land(640, 480, rgb(128, 128, 128));
    land.set_pixel(5, 0, rgb(7, 7, 7));  // above the rectangle
    Surface stray = land;
    stray.set_pixel(300, 200, rgb(129, 128, 128));
    GifAnimation a;
    a.y = 10;
    a.width = 640;
    a.height = 355;
    a.frame_count = 3;
    std::string error;

    EXPECT_EQ(write_gif(
                  name, a, [&](int i) { return i == 1 ? &stray : &land; }, error),
              GifOutcome::failed);
    EXPECT_NE(error.find("#818080 at (300, 200)"), std::string::npos) << error;
    EXPECT_EQ(test::read_file(name), "older picture");

    error.clear();
    EXPECT_EQ(write_gif(
                  name, a, [&](int i) { return i == 2 ? nullptr : &land; }, error),
              GifOutcome::stopped);
    EXPECT_EQ(error, "");
    EXPECT_EQ(test::read_file(name), "older picture");

    int done = 0;
    EXPECT_EQ(write_gif(
                  name, a, [&](int) { return &land; }, error, [&](int n) { done = n; }),
              GifOutcome::written)
        << error;
    EXPECT_EQ(done, 3);
    EXPECT_EQ(test::read_file(name).substr(0, 6), "GIF89a");
}
