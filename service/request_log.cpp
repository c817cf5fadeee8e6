#include "service/request_log.h"

#include <cstdio>
#include <ctime>

namespace service {
namespace {

constexpr size_t kPathShown = 200;

void AppendPrintable(std::string_view text, size_t limit, std::string& out) {
  if (text.empty()) {
    out += '-';
    return;
  }
  for (size_t i = 0; i < text.size() && i < limit; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c > 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    }
  }
  if (text.size() > limit) out += "...";
}

}  // namespace

std::string FormatLogLine(std::chrono::system_clock::time_point when, std::string_view method,
                          std::string_view path, int status, size_t bytes, int64_t microseconds) {
  auto since_epoch = when.time_since_epoch();
  std::time_t seconds = std::chrono::duration_cast<std::chrono::seconds>(since_epoch).count();
  int millis = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch).count() % 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, millis);
  std::string line = stamp;
  AppendPrintable(method, 16, line);
  line += ' ';
  AppendPrintable(path, kPathShown, line);
  char tail[64];
  std::snprintf(tail, sizeof tail, " %d %zu %lld\n", status, bytes,
                static_cast<long long>(microseconds));
  line += tail;
  return line;
}

}  // namespace service
