// The ray of one hop: the angle of incidence at the layer, the take-off angle at the
// ground and the factors that follow from them, for a hop of a given half length
// reflected at a given height.
//
// Earth's centre, the ground point and the reflection point make a triangle whose
// angles are the half hop (at the centre), pi/2 + take-off (at the ground) and the angle
// of incidence (at the layer). So the take-off angle is pi/2 - half hop - incidence, and
// the cosines of both angles follow from the tangent of the incidence with one square
// root, where the library would spend an arctangent and two cosines. Every value
// comes out exactly as the library formulas give it: a value reached the short way is
// taken only when every number within a proven bound of it rounds to the same float;
// otherwise (near a rounding edge, a clamped angle, odd constants) the library
// formula decides.
#pragma once

namespace skywave {

struct Constants;

class HopRay {
public:
    // sin_half_hop and cos_half_hop: the library's sine and cosine of half_hop.
    HopRay(float h_calc, float half_hop, double sin_half_hop, double cos_half_hop);

    // The angle of incidence from the vertical, clamped to [min_phi, max_phi].
    float phi(const Constants& k) const;
    // m9_1 / cos(phi), the MOF factor of the oblique incidence.
    float m9(const Constants& k, float phi) const;
    // The take-off angle above the horizon, clamped to [min_takeoff, max_takeoff].
    float takeoff(const Constants& k) const;
    // sex_1 - sex_2 cos(takeoff)^sex_3, the absorption's slant factor before its power.
    float sex(const Constants& k, float takeoff) const;

private:
    float h_calc_;
    double sin_hh_, cos_hh_;
    double incidence_;  // the library's arctangent, unclamped
    // The incidence's tangent and secant sqrt(1 + tan^2); usable false where the
    // tangent is not a finite positive number below 2^14 or the height is odd.
    double tangent_ = 0, secant_ = 0;
    bool usable_ = false;
    double takeoff_ = 0;        // pi/2 - half hop - incidence
    double takeoff_slack_ = 0;  // its proven distance bound from the library's value
};

}  // namespace skywave
