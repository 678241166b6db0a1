// The effect's use of glbinding, shared by every window-system binding: each
// new context is registered with lazy function resolution, each switch to one
// of the effect's contexts selects it for the calling thread, and a
// description of the context is written to standard output once it is made.
//
// glbinding 2.1 grows its per-context function tables without a lock when a
// context is registered, so registration must never overlap GL calls on
// other threads. The effect makes its contexts and does all of its GL work
// while holding the context registry's lock (ContextRegistry.h), which keeps
// the two apart. Contexts are never released from glbinding: in 2.1 that
// corrupts the tables of the other contexts.
#pragma once

#include <cstdint>

namespace Ombrix::Levels::GlBinding {

// Registers the context current on this thread under `handle` (functions
// resolved on first call) and selects it for this thread. A handle that
// glbinding already knows (a context made at the address of one since
// destroyed) is only selected: the function addresses do not depend on the
// context.
void registerCurrentContext(uintptr_t handle);

// Selects the registered context `handle` for this thread's GL calls.
void useContext(uintptr_t handle);

// Whether the current context offers at least OpenGL major.minor.
bool currentVersionAtLeast(int major, int minor);

// Writes the description of the current context to standard output:
// an empty line, version, vendor, renderer, the gl.xml revision glbinding was
// generated from, and an empty line, each line flushed.
void printContextDescription();

}  // namespace Ombrix::Levels::GlBinding
