#include "tuning/constant_sweep.h"

#include <cmath>

#include "base/cformat.h"
#include "base/numbers.h"
#include "model/constants.h"
#include "model/run_settings.h"

namespace skywave {

bool is_marked(const RunSettings& s, int flat_index) {
    return const_table[flat_index].cons_type != 0 && s.diddle_flag[flat_index] == 1;
}

std::vector<MarkedConstant> marked_constants(const RunSettings& s) {
    std::vector<MarkedConstant> marked;
    for (int g = 0; g < kGroupCount; ++g)
        for (int c = 0; c < int(const_groups[g].con.size()); ++c)
            if (is_marked(s, flat_index(g, c))) marked.push_back({g, flat_index(g, c)});
    return marked;
}

NetScore net_score(const Constants& k, const ScoreResults& ref, const ScoreResults& r) {
    NetScore s;
    s.mof_score = float(D(k.w_mof_at) * (D(r.mof_at) - ref.mof_at) +
                        D(k.w_mof_abv) * (D(ref.mof_above) - r.mof_above) +
                        D(k.w_mof_blw) * (D(ref.mof_below) - r.mof_below));
    s.lof_score = float(D(k.w_lof_at) * (D(r.lof_at) - ref.lof_at) +
                        D(k.w_lof_abv) * (D(ref.lof_above) - r.lof_above) +
                        D(k.w_lof_blw) * (D(ref.lof_below) - r.lof_below));
    s.net_score = float(D(k.w_mof) * s.mof_score + D(k.w_lof) * s.lof_score);
    return s;
}

std::string scored_run_text(const ScoreResults& r, const NetScore& s) {
    std::string text = cformat("MOF=%4.1f %4.1f %4.1f = %5.1f  ", D(r.mof_above), D(r.mof_at),
                               D(r.mof_below), D(s.mof_score));
    cformat_to(text, "LOF=%4.1f %4.1f %4.1f = %5.1f  ", D(r.lof_above), D(r.lof_at), D(r.lof_below),
               D(s.lof_score));
    cformat_to(text, "NET=%5.1f", D(s.net_score));
    return text;
}

std::string changed_constants(const RunSettings& s, bool setup) {
    std::string text;
    const int first = setup ? 0 : int(const_groups[0].con.size());
    for (int i = first; i < kConstCount; ++i) {
        const const_desc& d = const_table[std::size_t(i)];
        const D live = s.consts.*d.val, init = d.init;
        if (std::fabs(live - init) > 0.00001 * std::fabs(init)) {
            const D scale = scale_table[d.scale_factor];
            cformat_to(text, "changed  %s   from %f  to %f \n", d.name, init * scale, live * scale);
        }
    }
    return text;
}

ConstantSteps::ConstantSteps(const Constants& k, bool is_switch)
    : neg_limit_(k.neg_limit),
      pos_step_(k.pos_step),
      pos_limit_(k.pos_limit),
      threshold_(k.diddle_thresh),
      step_diddle_(k.neg_step),
      diddle_(k.neg_step),
      is_switch_(is_switch) {
    done_ = !(diddle_ <= pos_limit_);
}

float ConstantSteps::value(float hold_val) const {
    if (is_switch_) return hold_val == 0 ? 1.0f : 0.0f;  // a switch is simply turned over
    if (hold_val == 0) return diddle_;
    return float(D(hold_val) * (1 + D(diddle_)));
}

void ConstantSteps::turn_positive() {
    if (positive_side_) done_ = true;  // never start the positive side twice
    positive_side_ = true;
    step_diddle_ = pos_step_;
    diddle_ = pos_step_;
}

void ConstantSteps::record(bool scored, float net) {
    if (is_switch_) {  // one run for a switch, whatever its score
        done_ = true;
        return;
    }
    if (scored && net > threshold_) {
        const float next = float(D(diddle_) + step_diddle_);
        if (next == diddle_) {
            turn_positive();  // a step too small to move on ends this side
        } else {
            diddle_ = next;
            if (diddle_ < neg_limit_) turn_positive();
        }
    } else {
        if (diddle_ > 0 || positive_side_) done_ = true;
        turn_positive();
    }
    if (!(diddle_ <= pos_limit_)) done_ = true;
}

}  // namespace skywave
