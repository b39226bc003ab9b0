// skywave render: the map picture of a prediction file's screen, as the window shows it.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>

#include "base/cformat.h"
#include "commands.h"
#include "console.h"
#include "files/replay.h"
#include "map/map_view.h"
#include "map/png_io.h"
#include "model/model.h"

namespace skywave::cli {

namespace {

struct RenderCommand {
    std::string file;
    std::string output;
    int screen = 1;
    bool all = false;
    std::string view = "mof", path = "both", projection = "rect";
    bool no_map = false, no_qth = false, no_sun = false, great_circles = false;

    ViewState view_state() const {
        ViewState v;
        v.map = !no_map;
        v.qth = !no_qth;
        v.sun = !no_sun;
        v.great_circles = great_circles;
        v.lines = view == "lof"     ? ViewState::lof
                  : view == "other" ? ViewState::other
                                    : ViewState::mof;
        v.short_path = path != "long";
        v.long_path = path != "short";
        v.projection = projection == "north" ? ViewState::polar_north
                       : projection == "qth" ? ViewState::polar_qth
                                             : ViewState::rectangular;
        return v;
    }

    // The numbered picture of screen n: OUT-001.png for OUT.png.
    std::string numbered(int n) const {
        const std::filesystem::path p(output);
        return (p.parent_path() /
                (p.stem().string() + cformat("-%03d", n) + p.extension().string()))
            .string();
    }

    int execute() {
        ConsoleMessages messages;
        Model m;
        ReplayFile replay;
        if (!replay.open(file, m, messages)) return kError;
        const int screens = replay.screen_count();
        std::vector<std::string> outputs;
        for (int n = 1; n <= (all ? screens : 1); ++n)
            outputs.push_back(all ? numbered(n) : output);
        if (output_is_input(outputs, {file}, messages)) return kError;
        if (!all && screen > screens) {
            messages.show_message(
                cformat("%s has %d screens; there is no screen %d", file.c_str(), screens, screen),
                "ERROR");
            return kError;
        }
        const ViewState v = view_state();
        const SourceRect src = paint_source(v, false);
        MapSurfaces surfaces;
        ReplayScreen s;
        for (int n = 1; n <= (all ? screens : screen); ++n) {
            if (interrupted()) return kInterrupted;  // every picture written is whole
            replay.ReadScreen(m, s);
            if (!all && n < screen) continue;
            DrawReplay(surfaces, m, s, v);
            const std::string name = all ? numbered(n) : output;
            std::string error;
            if (!write_png(name, surfaces.Working, src.x, src.y, src.width, src.height, error)) {
                messages.show_message(error, "ERROR WRITING OUTPUT");
                return kError;
            }
        }
        return kOk;
    }
};

}  // namespace

void add_render_command(CLI::App& app, Action& action) {
    static RenderCommand c;
    CLI::App* r = app.add_subcommand(
        "render", "Draw a screen of a prediction file on the world map, as a PNG picture");
    r->add_option("FILE", c.file, "prediction or contest data file")->required();
    r->add_option("-o,--output", c.output,
                  "picture to write (with --all: OUT-001.png, OUT-002.png, ...)")
        ->required()
        ->type_name("OUT.png");
    auto* screen = r->add_option("--screen", c.screen, "screen to draw, from 1 (default 1)")
                       ->check(counting_from_one("screens count from 1"));
    r->add_flag("--all", c.all, "draw every screen")->excludes(screen);
    r->add_option("--view", c.view, "mof, lof or other (no cells)")
        ->check(CLI::IsMember({"mof", "lof", "other"}));
    r->add_option("--path", c.path, "short, long or both")
        ->check(CLI::IsMember({"short", "long", "both"}));
    r->add_flag("--no-map", c.no_map, "black background instead of the world map");
    r->add_flag("--no-qth", c.no_qth, "no marker on the QTH");
    r->add_flag("--no-sun", c.no_sun, "no sunrise and sunset symbols");
    r->add_flag("--great-circles", c.great_circles, "great circles from the QTH");
    r->add_option("--projection", c.projection,
                  "rect, north (polar, North Pole) or qth (polar, centred on the QTH)")
        ->check(CLI::IsMember({"rect", "north", "qth"}));
    r->final_callback([&action] { action = [] { return c.execute(); }; });
}

}  // namespace skywave::cli
