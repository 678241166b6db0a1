// "PF Param Utils Suite" v3 as the simulated host offers it: PF_GetCurrentState
// and PF_AreStatesIdentical (PF_UpdateParamUI and the later slots are traps).
#pragma once

namespace hostsim {

class Host;

void installParamUtils(Host& host);
// "PF ColorParamSuite" v1 (ColorParams.cpp).
void installColorParams(Host& host);

}  // namespace hostsim
