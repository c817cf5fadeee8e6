// What the ole32 layer knows about the calling thread, for checks.
#pragma once

namespace platform {

// How many CoInitialize calls on this thread still await their CoUninitialize.
int CoInitializeDepthForThisThread();

}  // namespace platform
