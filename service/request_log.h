// One line per answered request on the service's standard output:
//   2024-06-07T01:31:02.123Z GET /q=s_sh600000 200 71 153
// (UTC time, method, path, status, body bytes, microseconds from the end of
// reading the request to the answer being ready).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace service {

// The path goes in with bytes outside printable ASCII, and "\", written as
// \xHH, and is cut after 200 bytes, so a hostile path cannot forge or flood
// log lines. Ends with a line feed.
std::string FormatLogLine(std::chrono::system_clock::time_point when, std::string_view method,
                          std::string_view path, int status, size_t bytes, int64_t microseconds);

}  // namespace service
