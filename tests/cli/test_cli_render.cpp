#include <gtest/gtest.h>

#include "cli_support.h"

#include <gif_lib.h>
#include <sys/wait.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "map/png_io.h"

namespace {

// The exit code, and standard output when asked for.
int run(const std::string& args, const std::filesystem::path& dir, std::string* out = nullptr) {
    const Result r = skywave(args, dir);
    if (out) *out = r.out;
    return r.code;
}

// Width and height from a PNG's header.
std::pair<int, int> png_size(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char h[24] = {};
    in.read(reinterpret_cast<char*>(h), 24);
    if (std::string(reinterpret_cast<char*>(h + 1), 3) != "PNG") return {0, 0};
    const auto be = [&](int i) {
        return (h[i] << 24) | (h[i + 1] << 16) | (h[i + 2] << 8) | h[i + 3];
    };
    return {be(16), be(20)};
}

// A PNG file decoded, or nothing.
std::optional<skywave::Surface> read_png(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    return skywave::decode_png(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

struct CloseGif {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};

// The pixels of frame `index` of a decoded GIF that differ from the picture's, counted.
int differing_pixels(const GifFileType& gif, int index, const skywave::Surface& picture) {
    const SavedImage& frame = gif.SavedImages[index];
    const ColorMapObject* colours =
        frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif.SColorMap;
    if (!colours || frame.ImageDesc.Width != picture.width() ||
        frame.ImageDesc.Height != picture.height())
        return picture.width() * picture.height();
    int differing = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const GifColorType c = colours->Colors[frame.RasterBits[y * picture.width() + x]];
            differing +=
                skywave::rgb(c.Red, c.Green, c.Blue) != (picture.pixel(x, y) | 0xff000000u);
        }
    return differing;
}

class CliPictures : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        ASSERT_EQ(run("run --no-mof-dat --grain 3 --start-date 3/5 --start-time 10:00 --stop-time "
                      "12:00 -o p.mof",
                      dir),
                  0);
    }
};

}  // namespace

TEST_F(CliPictures, RenderWritesTheWindowsPicture) {
    ASSERT_EQ(run("render p.mof -o a.png", dir), 0);
    EXPECT_EQ(png_size(dir / "a.png"), std::make_pair(640, 355));
    ASSERT_EQ(
        run("render p.mof --screen 3 --view lof --path long --projection north --no-sun -o b.png",
            dir),
        0);
    EXPECT_EQ(png_size(dir / "b.png"), std::make_pair(400, 400));
    ASSERT_EQ(run("render p.mof --all -o all.png", dir), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "all-001.png"));
    EXPECT_TRUE(std::filesystem::exists(dir / "all-003.png"));
    EXPECT_FALSE(std::filesystem::exists(dir / "all-004.png"));
    EXPECT_EQ(run("render p.mof --screen 4 -o c.png", dir), 1) << "there are three screens";
    EXPECT_FALSE(std::filesystem::exists(dir / "c.png"));
    EXPECT_EQ(run("render p.mof --view sideways -o c.png", dir), 2);
    EXPECT_EQ(run("render missing.mof -o c.png", dir), 1);
    EXPECT_EQ(run("render p.mof -o no/such/dir/c.png", dir), 1);
}

TEST_F(CliPictures, ArrayWritesEveryGridCell) {
    std::string csv;
    ASSERT_EQ(run("array mof --no-mof-dat --grain 3 --start-date 3/5 --start-time 10:00 "
                  "--stop-time 12:00 --step 3",
                  dir, &csv),
              0);
    std::istringstream in(csv);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    ASSERT_EQ(lines.size(), 2u + 13 * 20);
    EXPECT_EQ(lines[0].substr(0, 13), "#  3  5 12.00") << "the step's header";
    EXPECT_EQ(lines[1], "row,col,lat,lon,mof");
    EXPECT_EQ(lines[2].substr(0, 20), "0,0,83.0769,-9.0000,");
    EXPECT_EQ(lines[21].substr(0, 19), "0,19,83.0769,9.0000")
        << "the last column lies east of Greenwich";
    // Angles come out in degrees.
    ASSERT_EQ(run("array azim --no-mof-dat --grain 3 --start-date 3/5 -o azim.csv", dir), 0);
    std::ifstream a(dir / "azim.csv");
    std::string line;
    double largest = 0;
    while (std::getline(a, line))
        if (line[0] != '#' && line[0] != 'r')
            largest = std::max(largest, std::stod(line.substr(line.rfind(',') + 1)));
    EXPECT_GT(largest, 300);
    EXPECT_LE(largest, 360.001);
    ASSERT_EQ(run("array other --no-mof-dat --grain 3 --start-date 3/5", dir, &csv), 0);
    EXPECT_NE(csv.find("ssn,"), std::string::npos);
    EXPECT_EQ(run("array nosuch --no-mof-dat", dir), 1);
    EXPECT_EQ(run("array mof --no-mof-dat --grain 3 --start-date 3/5 --start-time 1:00 --stop-time "
                  "1:00 --step 2",
                  dir),
              1)
        << "a run of one step has no second";
}

TEST_F(CliTest, RenderGifAnimatesEveryScreenAsRenderDrawsIt) {
    ASSERT_EQ(run("run --no-mof-dat --grain 3 --start-date 3/5 -o p.mof", dir), 0);
    std::string out;
    ASSERT_EQ(run("render p.mof --gif p.gif", dir, &out), 0);
    EXPECT_EQ(out, "");
    ASSERT_EQ(run("render p.mof --screen 1 -o first.png", dir), 0);
    ASSERT_EQ(run("render p.mof --screen 24 -o last.png", dir), 0);
    const std::optional<skywave::Surface> first = read_png(dir / "first.png");
    const std::optional<skywave::Surface> last = read_png(dir / "last.png");
    ASSERT_TRUE(first && last);

    int error = 0;
    std::unique_ptr<GifFileType, CloseGif> gif(DGifOpenFileName((dir / "p.gif").c_str(), &error));
    ASSERT_TRUE(gif) << GifErrorString(error);
    ASSERT_EQ(DGifSlurp(gif.get()), GIF_OK) << GifErrorString(gif->Error);
    ASSERT_EQ(gif->ImageCount, 24) << "one frame per screen";
    EXPECT_EQ(gif->SWidth, 640);
    EXPECT_EQ(gif->SHeight, 355);
    EXPECT_EQ(differing_pixels(*gif, 0, *first), 0);
    EXPECT_EQ(differing_pixels(*gif, 23, *last), 0) << "the screens in the file's order";
    for (int i = 0; i < gif->ImageCount; ++i) {
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif.get(), i, &control), GIF_OK) << "frame " << i;
        EXPECT_EQ(control.DelayTime, 50) << "500 ms in hundredths of a second, frame " << i;
    }
    // Looping for ever: the NETSCAPE2.0 block with a loop count of 0, before the first frame.
    const SavedImage& opening = gif->SavedImages[0];
    bool loops = false;
    for (int i = 0; i + 1 < opening.ExtensionBlockCount; ++i) {
        const ExtensionBlock& b = opening.ExtensionBlocks[i];
        const ExtensionBlock& sub = opening.ExtensionBlocks[i + 1];
        loops |= b.Function == APPLICATION_EXT_FUNC_CODE &&
                 std::string(reinterpret_cast<const char*>(b.Bytes), std::size_t(b.ByteCount)) ==
                     "NETSCAPE2.0" &&
                 sub.ByteCount == 3 && sub.Bytes[0] == 1 && sub.Bytes[1] == 0 && sub.Bytes[2] == 0;
    }
    EXPECT_TRUE(loops);

    // Exactly one output, a delay a GIF can hold, and never the input.
    for (const char* refused :
         {"render p.mof --gif q.gif -o q.png", "render p.mof", "render p.mof --gif q.gif --delay 0",
          "render p.mof --gif q.gif --all", "render p.mof -o q.png --delay 100"})
        EXPECT_EQ(run(refused, dir), 2) << refused;
    EXPECT_FALSE(exists("q.gif") || exists("q.png"));
    const std::string file = read("p.mof");
    EXPECT_EQ(run("render p.mof --gif p.mof", dir), 1);
    EXPECT_EQ(read("p.mof"), file);
}
