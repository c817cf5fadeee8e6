// quote-service: the simulated market's quotes and charts over HTTP.
#include <pthread.h>
#include <sys/resource.h>
#include <QGuiApplication>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string_view>
#include <thread>
#include <vector>

#include "service/http_server.h"
#include "service/quote_service.h"
#include "service/service_options.h"

namespace {

// Each connection holds a descriptor; allow as many as the hard limit lets
// (cpp-httplib polls rather than selects, so high numbers are safe).
void RaiseFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  rlim_t wanted = limit.rlim_max == RLIM_INFINITY ? 65536 : std::min<rlim_t>(limit.rlim_max, 65536);
  if (limit.rlim_cur < wanted) {
    limit.rlim_cur = wanted;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

void WriteLogLine(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  service::ParsedOptions parsed = service::ParseOptions(args);
  if (!parsed.options) {
    std::fprintf(stderr, "quote-service: %s\nTry quote-service --help.\n", parsed.error.c_str());
    return 2;
  }
  const service::ServiceOptions& options = *parsed.options;
  if (options.help) {
    std::fputs(service::UsageText().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("quote-service %s\n", QUOTE_SERVICE_VERSION);
    return 0;
  }

  // SIGINT and SIGTERM are taken by one waiting thread instead of a handler,
  // so stopping runs as ordinary code. The mask is set before any thread
  // starts, so every thread inherits it.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  // A client that goes away mid-answer must not end the service.
  std::signal(SIGPIPE, SIG_IGN);
  RaiseFileLimit();

  // Charts are painted with Qt Gui, which needs an application object for its
  // fonts; no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  QGuiApplication application(qt_argc, qt_argv);

  service::QuoteService quotes(options.seed, options.stocks, service::ServiceClock(options.clock));
  service::HttpServer server(quotes, options.server, WriteLogLine);
  int port = server.Bind();
  if (port < 0) {
    std::fprintf(stderr, "quote-service: cannot listen on %s:%d\n", options.server.host.c_str(),
                 options.server.port);
    return 1;
  }
  std::printf("quote-service listening on %s:%d\n", options.server.host.c_str(), port);
  std::fflush(stdout);

  std::atomic<bool> finished{false};
  std::thread waiter([&] {
    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    // A stop that lands before the server has begun listening would be lost.
    while (!finished && !server.IsRunning()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    server.Stop();
  });
  bool served = server.Run();
  finished = true;
  pthread_kill(waiter.native_handle(), SIGTERM);  // wakes the waiter if no signal came
  waiter.join();
  return served ? 0 : 1;
}
