// Request paths from outside, as the quote service's handler receives them
// after HTTP parsing: the first byte picks the method, the rest is the path.
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "service/quote_service.h"

namespace {

const service::QuoteService& Service() {
  // Noon on a trading day keeps charts and quotes of a whole morning in play.
  static const service::QuoteService quotes(1, 300, service::ServiceClock(1717732800));
  return quotes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication application(*argc, *argv);
  Service();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static constexpr std::string_view kMethods[] = {"GET", "HEAD", "POST", ""};
  std::string_view method = kMethods[data[0] % 4];
  std::string_view path(reinterpret_cast<const char*>(data + 1), size - 1);
  service::Answer answer = Service().Handle(method, path);
  // Every answer is complete: a status, a content type and a body.
  if (answer.status < 200 || answer.status > 599 || answer.content_type.empty() ||
      answer.body.empty()) {
    __builtin_trap();
  }
  return 0;
}
