// skywave array: the numbers of any result array after a step of a run.
#include <CLI/CLI.hpp>
#include <cstdio>

#include "base/cformat.h"
#include "base/numbers.h"
#include "base/report.h"
#include "commands.h"
#include "console.h"
#include "map/map_view.h"
#include "model/model.h"
#include "model/result_arrays.h"
#include "run/driver.h"
#include "run_options.h"

namespace skywave::cli {

namespace {

// Writes the chosen array when the run reaches the chosen step, then stops the run.
class ArrayHooks : public ConsoleHooks {
public:
    ArrayHooks(Progress& p, int index, int step, Report& out)
        : ConsoleHooks(p), index_(index), step_(step), out_(out) {}
    void ExamineArrays(Model& m) override {
        if (++steps_ < step_) return;
        write(m);
        written = true;
        Abort = 1;
    }
    bool written = false;

private:
    void write(Model& m) {
        const disp_array& d = disp_arrays[std::size_t(index_)];
        out_.write("# " + m.header_line);
        if (d.type == 50) {  // the scalar values of the step
            out_.write("name,value\n");
            std::string values = misc_values(m);
            for (char& c : values)
                if (c == '=') c = ',';
            out_.write(values);
            return;
        }
        out_.printf("row,col,lat,lon,%s\n", d.title);
        for (int r = 0; r < m.grid.n_rows; ++r)
            for (int c = 0; c < m.grid.n_cols; ++c) {
                const double lat = D(m.grid.row_lat(r)) * kDegPerRad;
                double lon = -D(m.grid.col_lon(c)) * kDegPerRad;  // east positive
                if (lon <= -180) lon += 360;
                const double value = D(disp_value(*m.arrays, d, r, c)) * d.scale_factor;
                out_.printf("%d,%d,%.4f,%.4f,%.9g\n", r, c, lat, lon, value);
            }
    }
    int index_, step_, steps_ = 0;
    Report& out_;
};

struct ArrayCommand {
    std::string name;
    std::optional<std::string> output;
    RunFlags flags;
    int step = 1;

    int execute() {
        ConsoleMessages messages;
        const std::optional<int> index = find_disp_array(name);
        if (!index) {
            std::string names;
            for (const disp_array& d : disp_arrays)
                names += std::string(" ") + d.title;
            messages.show_message("no array named '" + name + "'; the arrays are:" + names,
                                  "ERROR");
            return kError;
        }
        Model m;
        if (!load_constants(m, flags.consts, messages)) return kError;
        if (!apply_run_flags(m, flags, std::nullopt, messages)) return kError;
        if (output && output_is_input({*output}, run_inputs(flags), messages)) return kError;
        std::unique_ptr<Report> out = open_report(output, messages);
        if (!out) return kError;
        Progress progress;
        progress.set_total(step);
        ArrayHooks hooks(progress, *index, step, *out);
        hooks.exam_flag = 1;
        if (!InitCalc(m, messages)) return kError;
        MainCalcs(m, std::nullopt, hooks, messages);  // only the numbers are wanted
        EndCalc(m);
        progress.finish();
        if (!close_report(*out, messages)) return kError;
        if (!hooks.written) {
            if (interrupted()) return kInterrupted;
            messages.show_message(cformat("the run has fewer than %d steps", step), "ERROR");
            return kError;
        }
        return kOk;
    }
};

}  // namespace

void add_array_command(CLI::App& app, Action& action) {
    static ArrayCommand c;
    CLI::App* a = app.add_subcommand(
        "array",
        "Write a result array of the model after a step of a run, one grid cell per line (CSV)");
    a->add_option("NAME", c.name,
                  "array name, e.g. mof, lof, longmof, g2, fe, h, sol_angle (or other)")
        ->required();
    a->add_option("-o,--output", c.output, "CSV file (default: standard output)")
        ->type_name("OUT.csv");
    a->add_option("--step", c.step, "the step after which the array is taken, from 1 (default 1)")
        ->check(counting_from_one("steps count from 1"));
    add_run_flags(*a, c.flags);
    a->final_callback([&action] { action = [] { return c.execute(); }; });
}

}  // namespace skywave::cli
