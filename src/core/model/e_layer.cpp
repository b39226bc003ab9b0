#include "model/e_layer.h"

#include <cmath>

#include "base/numbers.h"
#include "base/power.h"
#include "model/model.h"

namespace skywave {

void calc_fe(Model& m) {
    const Constants& k = m.consts;
    ResultArrays& a = *m.arrays;
    const int r = m.lat_idx, c = m.lon_idx;
    float chi = a.sol_angle[r][c];
    float ex, fe;
    if (chi < k.fe_1) {
        // Day: a power of the zenith angle's cosine. The cap at 89.99 degrees keeps the
        // cosine positive should fe_1 be moved past the horizon.
        ex = k.fe_2;
        const D cap = 89.99 * kRadPerDeg;
        if (chi > cap) chi = float(cap);
        fe = float(std::pow(std::cos(D(chi)), D(ex)) * k.fe_3 * (D(k.fe_4) + D(k.fe_5) * m.ssn));
    } else {
        // Night: a falling power of the degrees past fe_1, offset by fe_10.
        ex = k.fe_6;
        const float d = float((D(chi) - k.fe_1 + k.fe_10) * kDegPerRad);
        fe = float(std::pow(D(d), D(ex)) * k.fe_7 * (D(k.fe_8) + D(k.fe_9) * m.ssn));
    }
    a.ls[r][c] = float(D(k.ls_1) * power_of_float(fe, D(k.ls_2)));
    a.ex[r][c] = ex;
    a.fe[r][c] = fe;
}

}  // namespace skywave
