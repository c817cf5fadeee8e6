// A setting that lets tests watch how WinINet reads a body. Production code
// never calls it.
#pragma once

#include <cstdint>

namespace platform {

// While set, called on the reading thread with the size each InternetReadFile
// call asks for; null stops it.
using InternetReadObserver = void (*)(uint32_t bytes_to_read);
void SetInternetReadObserverForTests(InternetReadObserver observer);

}  // namespace platform
