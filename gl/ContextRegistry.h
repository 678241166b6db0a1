// The process-wide registry of the effect's OpenGL contexts: the root context,
// made at global set-up and share partner of all others, and one context per
// rendering thread, made on that thread's first render and kept until the
// thread ends or global set-down, whichever comes first. (On Windows a
// context outlives its thread until the next lookup by any thread: see
// ThreadEndWatch.h.)
//
// One recursive lock guards the registry. A thread holds it while it looks up
// or makes its context and, through GlWorkLock, for the whole of its GL work:
// glbinding must not register a context while another thread calls GL, and
// the effect's programs (with their uniform values) are shared by all
// contexts.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>

#include "gl/AEOpenGLContext.h"

namespace Ombrix::Levels {

// Makes the root context (left current on the calling thread). Raises
// AESDK_OpenGL_Fault when no OpenGL 3.3 context can be made; the root stays
// null then. A root that exists already is kept: contexts made since share
// with it.
void createRootContext();

// The root context; null before set-up, after set-down or after a failed set-up.
AEOpenGLContext* rootContext();

// The calling thread's context, made (sharing with the root) when the thread
// has none: on its first render, after a failed attempt, or after a global
// set-down and a new set-up. Never null: raises AESDK_OpenGL_Fault when the
// context cannot be made, or when there is no root (the effect is not set up).
AEOpenGLContext& contextForCurrentThread();

// The calling thread's context if it has one, else null; makes nothing.
AEOpenGLContext* existingContextForCurrentThread();

// Deletes every per-thread context, in ascending thread number, then the root,
// telling the context-end hooks of each first (as not current: whatever is
// still kept for it is forgotten). Thread numbers stay with their threads.
void destroyAllContexts();

// Number of per-thread contexts alive.
std::size_t threadContextCount();

// When a thread that has rendered ends (on Windows, in the next lookup after
// its end), its context is released: under the registry lock, with that
// context made current, every context-end hook gives back its objects of that
// context; then the context is destroyed and whatever was current before is
// current again. A later render on the thread makes a new context.

// Hooks told about a per-thread context that is about to be destroyed at its
// thread's end: hook(context, current), where current says whether the
// context could be made current (the hook then deletes its objects of that
// context; otherwise it only forgets them). Hooks run under the registry
// lock. addContextEndHook returns the number that removes the hook again.
using ContextEndHook = std::function<void(const AEOpenGLContext& context, bool current)>;
int addContextEndHook(ContextEndHook hook);
void removeContextEndHook(int id);

// Holds the registry lock for a stretch of GL work on the calling thread.
class GlWorkLock {
public:
    GlWorkLock();
    ~GlWorkLock();
    GlWorkLock(const GlWorkLock&) = delete;
    GlWorkLock& operator=(const GlWorkLock&) = delete;
};

}  // namespace Ombrix::Levels
