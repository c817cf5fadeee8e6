// Where Wine departs from what Windows documents. A test of the Windows
// build that meets such a departure names it through KnownWineDifference and
// then checks what Wine does instead: the difference shows in the output of
// every run and is counted there, and the test still catches a fault.
#pragma once

namespace test {

// Whether the program runs under Wine rather than on Windows (always false
// in the Linux build).
bool RunningUnderWine();

// True under Wine, after recording `difference` for the running test: as the
// test property "wine_difference" and as a "[ WINE DIFF ]" line on standard
// output. False (and nothing recorded) anywhere else.
bool KnownWineDifference(const char* difference);

// The exit code a process ended by ExitProcess(-1) (the fatal error report)
// shows its parent: 255 on Linux, -1 on Windows, and 255 under Wine, which is
// a known Wine difference recorded as such.
int FatalExitCode();

}  // namespace test
