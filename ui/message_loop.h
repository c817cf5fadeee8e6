// The runtime's message loop on the window thread, and work the program asks
// the loop to do for it.
#pragma once

#include <functional>

namespace ui {

// Ends the program; never returns.
using ProgramEnd = void (*)();

// If a loaded window still exists, processes events until none is left (the
// last one closed); otherwise returns at once. Each time the loop is about to
// wait for events it makes one idle pass. When the last window goes while an
// event handler is running (its pending-events pump took the close), the
// handler would go on with a window that is gone: `end_inside_handler`, when
// given, ends the program there instead, unless a fatal error is being
// reported, which ends the program itself.
void RunMessageLoop(ProgramEnd end_inside_handler = nullptr);

// Calls `step` on the window thread from the message loop (or a
// pending-events pump) every `interval_ms`, the first time once that much has
// passed, until it returns false. Window thread.
void RepeatFromLoop(int interval_ms, std::function<bool()> step);

// Hands `call` to the window thread without waiting for it: it runs there
// after every unit operation the calling thread handed over before it (on the
// window thread itself, at once), and no later than the calling thread's next
// operation that waits for a result, or the thread's end. The call must own
// everything it uses.
void PostToWindowThread(std::function<void()> call);

// Carries out at once the unit operations that other threads have handed to
// the window thread without waiting for them (a worker's cell writes), so
// what the window shows next includes them. Window thread.
void CarryOutHandedOverCalls();

}  // namespace ui
