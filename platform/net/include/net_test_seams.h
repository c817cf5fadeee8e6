// Settings that let tests drive the internet layers entirely over loopback.
// Production code never calls these; without them the layers resolve names and
// trust certificates the ordinary way.
#pragma once

#include <chrono>
#include <map>
#include <string>

namespace platform {

// Name resolution for tests. While a map is set, a name in it resolves to its
// address ("" makes it unresolvable) and every other name except "localhost",
// 127.x.y.z and [::1] fails as unresolvable, so no test can ever ask a DNS
// server. An empty map still switches the guard on.
void SetHostMapForTests(std::map<std::string, std::string> names);
void ClearHostMapForTests();

// A PEM file of certificates trusted in addition to the system's ones, for
// servers with a certificate made at test time. "" goes back to the system's.
void SetExtraCaBundleForTests(const std::string& pem_path);

// Closes the connections kept open for later requests. A loopback server that
// waits for its clients' kept connections to end before it stops calls this
// first.
void CloseIdleConnectionsForTests();

// How long an idle connection is kept for another request; 0 goes back to the
// usual minute.
void SetIdleConnectionAgeForTests(std::chrono::milliseconds age);

// Handles of the WinHTTP and WinINet layers that are open right now.
int OpenInternetHandleCount();

}  // namespace platform
