// The run settings' checks on fuzzed field texts (one field per line). Whatever they
// accept must make a run that ends by itself.
#include <cstdlib>
#include <sstream>

#include "fuzz_support.h"
#include "model/run_settings.h"
#include "run/driver.h"
#include "run/settings_form.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skywave;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    SettingsFields f;
    std::string* fields[] = {
        &f.start_month, &f.start_day, &f.start_hour, &f.start_min,  &f.stop_month,
        &f.stop_day,    &f.stop_hour, &f.stop_min,   &f.step_month, &f.step_day,
        &f.step_hour,   &f.step_min,  &f.lat_deg,    &f.lat_min,    &f.lat_sec,
        &f.lat_hemi,    &f.lon_deg,   &f.lon_min,    &f.lon_sec,    &f.lon_hemi,
        &f.flux,        &f.a_index,   &f.k_index,    &f.grain,      &f.file_name};
    for (std::string* field : fields)
        std::getline(in, *field);
    SettingsRecord record;
    fuzz::Quiet quiet;
    if (!accept_fields(f, record, quiet)) return 0;
    RunSettings s;
    init_consts(s.consts);
    std::string file_name;
    apply_record(s, file_name, record);
    // At most 12 months x 31 days x about 1441 times (a step of a minute over 24 hours).
    if (!count_steps(s, 12L * 31 * 1500)) std::abort();
    if (s.grid.n_rows == 0) std::abort();
    return 0;
}
