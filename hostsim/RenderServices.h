// What the simulated host offers a render: "PF Handle Suite" v2 (handles
// counted as objects of kind "PF_Handle"; disposing of a handle the host does
// not know, or twice, is a violation) and "PF iterateFloat Suite" v1 over the
// host's float worlds, and "PF Iterate8 Suite" v1 with iterate_generic on the
// host's own worker threads (its other slots are traps).
#pragma once

#include "host/ae_effect.h"

namespace hostsim {

class Host;

void installRenderServices(Host& host);

// Makes the next `count` host_new_handle calls return no handle (0 clears).
void failHandleAllocations(int count);
// Makes every iterate call return `code` before touching a pixel (0 clears).
void failIterations(PF_Err code);
// Makes every iterate_generic call run its first `after` iterations on the
// calling thread and then return `code` (0 clears).
void failGenericIterations(PF_Err code, int after);
// iterate_generic calls so far, and iterations run on the host's workers (not
// the calling thread), in this process.
int genericIterateCalls();
int genericIterationsOnWorkers();
// The most iterations one iterate_generic call asked for, in this process.
int genericLargestRequest();

}  // namespace hostsim
