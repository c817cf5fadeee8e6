// What the thread's COM state tells, for the balance checks of the tests.
// The system keeps its count of a thread's CoInitialize calls to itself; what
// can be seen without changing it is whether COM is initialised at all.
#pragma once

namespace platform {

// 1 while COM is initialised on the calling thread, 0 otherwise: the same as
// our platform's count wherever that is 0 or 1, which is what a check at the
// start and end of a test compares.
int CoInitializeDepthForThisThread();

}  // namespace platform
