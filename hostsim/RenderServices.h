// What the simulated host offers a render: "PF Handle Suite" v2 (handles
// counted as objects of kind "PF_Handle"; disposing of a handle the host does
// not know, or twice, is a violation) and "PF iterateFloat Suite" v1 over the
// host's float worlds.
#pragma once

#include "host/ae_effect.h"

namespace hostsim {

class Host;

void installRenderServices(Host& host);

// Makes the next `count` host_new_handle calls return no handle (0 clears).
void failHandleAllocations(int count);
// Makes every iterate call return `code` before touching a pixel (0 clears).
void failIterations(PF_Err code);

}  // namespace hostsim
