// Builds without Cairo: the Drawbot suites record what is drawn but keep no pixels.
#include "hostsim/DrawbotRaster.h"

namespace hostsim {

std::unique_ptr<DrawbotRaster> makeDrawbotRaster(int, int, int) { return nullptr; }

}  // namespace hostsim
