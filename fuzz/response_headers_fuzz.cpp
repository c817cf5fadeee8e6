// Feeds arbitrary bytes to the response header reader and the cookie merge, as
// a server could send them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "http/text/cookies.h"
#include "http/text/response_headers.h"
#include "http/text/wide_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The block arrives as UTF-16 from the platform and is narrowed first.
  rt::ByteSet wide = rt::ByteSet::Copy(data, size);
  rt::Text headers = http::WideToAnsi(wide);
  http::ResponseHeaderFields fields;
  rt::Text cookies = rt::Text::Copy(
      std::string(reinterpret_cast<const char*>(data), size < 64 ? size : 64).c_str());
  http::ProcessResponseHeaders(headers, fields, &cookies);
  return 0;
}
