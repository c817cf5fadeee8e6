// A thread that a platform call blocks on the network may still be needed
// now and then: a window thread has to notice that its window is being
// closed, as a window stays closable while its program waits. The program
// installs one hook; a blocked wait runs it on the waiting thread between
// slices of the wait, at most once per slice.
#pragma once

namespace platform {

using BlockingWaitHook = void (*)();

// Installs (or, with null, removes) the hook for every thread.
void SetBlockingWaitHook(BlockingWaitHook hook);
// Whether a hook is installed, so a wait knows to wake for it.
bool HasBlockingWaitHook();
// Runs the hook, if any, on the calling thread.
void RunBlockingWaitHook();

// How often a blocked wait wakes to run the hook.
inline constexpr long kBlockingWaitSliceMs = 50;

}  // namespace platform
