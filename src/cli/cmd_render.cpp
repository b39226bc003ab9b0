// skywave render: the map picture of a prediction file's screen, as the window shows it,
// or every screen as one animation.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <string>

#include "base/cformat.h"
#include "commands.h"
#include "console.h"
#include "files/replay.h"
#include "map/gif_io.h"
#include "map/map_view.h"
#include "map/png_io.h"
#include "model/model.h"

namespace skywave::cli {

namespace {

// A check of --delay: a GIF counts a frame's delay in hundredths of a second in 16 bits,
// and viewers treat a delay of 0 as "as fast as you like", so 10 ms to 655350 ms.
CLI::Validator gif_delay() {
    return whole_number_in(10, 655350,
                           "a frame is shown for 10 to 655350 ms (a GIF counts hundredths of a "
                           "second)",
                           "10..655350");
}

struct RenderCommand {
    std::string file;
    std::string output;
    std::string gif;
    bool animate = false;  // --gif was given
    int delay_ms = 500;
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

    int execute() { return animate ? write_animation() : write_pictures(); }

    int write_pictures() {
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

    // Every screen, drawn as write_pictures draws one, as the frames of one GIF.
    int write_animation() {
        ConsoleMessages messages;
        Model m;
        ReplayFile replay;
        if (!replay.open(file, m, messages)) return kError;
        if (output_is_input({gif}, {file}, messages)) return kError;
        Progress progress;
        progress.set_label(gif);
        progress.set_total(replay.screen_count());
        std::string error;
        const GifOutcome outcome = write_replay_gif(
            gif, replay, m, view_state(), replay.screen_count(), delay_ms,
            [] { return interrupted(); },
            [&](int, const std::string& title) { progress.advance(title); }, error);
        progress.finish();
        switch (outcome) {
            case GifOutcome::written:
                return kOk;
            case GifOutcome::stopped:
                return kInterrupted;
            case GifOutcome::failed:
                break;
        }
        messages.show_message(error, "ERROR WRITING OUTPUT");
        return kError;
    }
};

}  // namespace

void add_render_command(CLI::App& app, Action& action) {
    static RenderCommand c;
    CLI::App* r = app.add_subcommand(
        "render",
        "Draw a screen of a prediction file on the world map, as a PNG picture, or every "
        "screen as one animated GIF");
    r->add_option("FILE", c.file, "prediction or contest data file")->required();
    CLI::Option* output =
        r->add_option("-o,--output", c.output,
                      "picture to write (with --all: OUT-001.png, OUT-002.png, ...)")
            ->type_name("OUT.png");
    auto* screen = r->add_option("--screen", c.screen, "screen to draw, from 1 (default 1)")
                       ->check(counting_from_one("screens count from 1"));
    auto* all = r->add_flag("--all", c.all, "draw every screen")->excludes(screen);
    CLI::Option* gif =
        r->add_option("--gif", c.gif, "every screen as one animated picture, looping")
            ->type_name("OUT.gif")
            ->excludes(screen)
            ->excludes(all);
    r->add_option("--delay", c.delay_ms, "how long each screen of the GIF is shown (default 500)")
        ->type_name("MS")
        ->check(gif_delay())
        ->needs(gif);
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
    r->final_callback([&action, output, gif] {
        // Thrown here, the parser reports it as a usage error.
        if (output->count() > 0 && gif->count() > 0)
            throw CLI::ValidationError(
                "render writes a PNG (-o OUT.png) or an animated GIF (--gif OUT.gif), not both");
        if (output->count() == 0 && gif->count() == 0)
            throw CLI::ValidationError(
                "render needs -o OUT.png (one screen, or --all) or --gif OUT.gif (every screen)");
        c.animate = gif->count() > 0;
        action = [] { return c.execute(); };
    });
}

}  // namespace skywave::cli
