// Moving 8-bit host worlds into and out of a frame's packed storage
// (PackedByteFrame): every host pixel goes as one 32-bit unsigned integer,
// its bytes in memory order, so the bytes come back exactly as the pass wrote
// them, whatever the machine's byte order.
//
// Rows are copied straight between host memory and GL where the world's row
// distance is a whole number of texels of the part; other rows go through
// the caller's scratch memory. Pixels are addressed through the world's own
// `data` and `rowbytes`; no host call is made, so the transfer may run under
// the effect's GL lock on any thread.
#pragma once

#include "gl/PackedByteFrame.h"
#include "host/ae_effect.h"
#include "render/PixelTransfer.h"

namespace Ombrix::Levels {

// Uploads the world's pixels into the frame's input textures; the world has
// the frame's size. Throws the host code 516 for a world that cannot hold
// its pixels.
void uploadPacked(const PackedByteFrame& frame, const PF_EffectWorld* world, TransferScratch& scratch);

// Reads the frame's output renderbuffers into the output world. Only the rows
// and pixels that both the frame and the output world have are written; the
// read framebuffer binding is put back. Throws the host code 516 for an
// unusable output world.
void readBackPacked(const PackedByteFrame& frame, PF_EffectWorld* output, TransferScratch& scratch);

}  // namespace Ombrix::Levels
