#include "ui/GammaMapping.h"

#include <cmath>

#include "params/LevelParameters.h"

namespace Ombrix::Levels {

double gammaHandleOffset(double inputBlack, double inputWhite, double gamma) {
    const double o = (inputWhite - inputBlack) * 0.03125;
    const double d = std::pow(2.0, 5.0 - gamma);
    return o - (1.0 - d) * o;
}

std::optional<double> gammaAtOffset(double offset, double inputBlack, double inputWhite) {
    const double ratio = offset / ((inputWhite - inputBlack) * 0.03125);
    if (std::isnan(ratio)) return std::nullopt;
    if (ratio <= 0.0) return kGammaMax;  // on or beyond the input black handle
    const double g = 5.0 - std::log(ratio) / std::log(2.0);
    if (std::isnan(g)) return std::nullopt;
    if (g < kGammaMin) return kGammaMin;
    if (g > kGammaMax) return kGammaMax;
    return g;
}

}  // namespace Ombrix::Levels
