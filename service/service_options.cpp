#include "service/service_options.h"

#include <charconv>

namespace service {
namespace {

template <typename Number>
bool ParseNumber(std::string_view text, Number low, Number high, Number& out) {
  Number value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return false;
  }
  out = value;
  return true;
}

}  // namespace

ParsedOptions ParseOptions(std::span<const std::string_view> args) {
  ServiceOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg == "--version") {
      options.version = true;
      continue;
    }
    std::string_view name = arg, value;
    bool has_value = false;
    if (size_t equals = arg.find('='); arg.starts_with("--") && equals != std::string_view::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
      has_value = true;
    }
    auto fail = [&](std::string_view why) {
      return ParsedOptions{std::nullopt, std::string(name) + ": " + std::string(why)};
    };
    if (name != "--port" && name != "--host" && name != "--seed" && name != "--stocks" &&
        name != "--latency-ms" && name != "--clock") {
      return {std::nullopt, "unknown option " + std::string(arg)};
    }
    if (!has_value) {
      if (i + 1 >= args.size()) return fail("needs a value");
      value = args[++i];
    }
    bool ok = true;
    if (name == "--port") {
      ok = ParseNumber(value, 0, 65535, options.server.port);
    } else if (name == "--host") {
      ok = !value.empty();
      options.server.host = std::string(value);
    } else if (name == "--seed") {
      ok = ParseNumber<uint64_t>(value, 0, UINT64_MAX, options.seed);
    } else if (name == "--stocks") {
      ok = ParseNumber(value, 1, Market::kMaxStocks, options.stocks);
    } else if (name == "--latency-ms") {
      ok = ParseNumber(value, 0, 60000, options.server.latency_ms);
    } else {
      int64_t clock = 0;
      ok = ParseNumber<int64_t>(value, 0, int64_t{1} << 40, clock);
      options.clock = clock;
    }
    if (!ok) return fail("bad value \"" + std::string(value) + "\"");
  }
  return {options, {}};
}

std::string UsageText() {
  return "Usage: quote-service [options]\n"
         "A simulated stock market served over HTTP: quotes at /q=<sh|sz|bj><code> (short\n"
         "form /q=s_<sh|sz|bj><code>, several codes joined by \",\"), intraday charts at\n"
         "/quotepic/10082333/<code>.png and a sample of the stocks at /. Every code of\n"
         "the boards sh 600-605, 688-689, 510-519, 56, 58, 900; sz 000-004, 300-301,\n"
         "159, 16, 200; bj 43, 83, 87, 920 answers.\n"
         "\n"
         "  --host ADDRESS     address to listen on (default 127.0.0.1)\n"
         "  --port N           port to listen on, 0 for any free one (default 18080)\n"
         "  --seed N           market seed; equal seeds give equal markets (default 20240607)\n"
         "  --stocks N         stocks the list at / shows, 1 to 2000 (default 300)\n"
         "  --latency-ms N     delay added to every answer, up to 60000 (default 0)\n"
         "  --clock SECONDS    freeze the market at this instant (seconds since 1970 UTC),\n"
         "                     for reproducible answers in tests and demos\n"
         "  --help             print this text\n"
         "  --version          print the version\n"
         "\n"
         "The first line of output names the address listened on; then one line per request:\n"
         "time, method, path, status, body bytes, microseconds. SIGINT or SIGTERM stop it.\n";
}

}  // namespace service
