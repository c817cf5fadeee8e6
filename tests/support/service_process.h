// quote-service as a child process on an ephemeral loopback port (or a given
// one), its market clock frozen so that it answers alike every time; stopped
// by its PID.
#pragma once

#include <fcntl.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace app_test {

class ServiceProcess {
 public:
  struct Options {
    int port = 0;  // 0: any free one
    long long clock = 1717740600;
    int latency_ms = 0;
  };
  ServiceProcess() : ServiceProcess(Options{}) {}
  explicit ServiceProcess(const Options& options) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const std::string port = std::to_string(options.port);
    const std::string clock = std::to_string(options.clock);
    const std::string latency = std::to_string(options.latency_ms);
    const char* argv[] = {QUOTE_SERVICE_BINARY, "--port",       port.c_str(),    "--clock",
                          clock.c_str(),        "--latency-ms", latency.c_str(), nullptr};
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    // The first line names the port; the log lines after it are drained so
    // the service never blocks on a full pipe.
    output_ = fdopen(out[0], "r");
    char line[512] = "";
    if (pid_ > 0 && std::fgets(line, sizeof line, output_)) {
      port_ = std::atoi(std::strrchr(line, ':') ? std::strrchr(line, ':') + 1 : "0");
    }
    drain_ = std::thread([this] {
      char rest[512];
      while (std::fgets(rest, sizeof rest, output_)) {
        if (std::strchr(rest, '\n')) ++requests_logged_;
      }
    });
  }
  ~ServiceProcess() {
    Stop(SIGTERM);
    if (drain_.joinable()) drain_.join();
    if (output_) std::fclose(output_);
  }
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  // Ends the service at once, as a crash would: no answer in progress finishes.
  void Kill() { Stop(SIGKILL); }

  int port() const { return port_; }
  // Requests the service has answered so far (one log line each).
  int RequestsLogged() const { return requests_logged_.load(); }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  // The service's own answer, fetched past the viewer.
  std::string Get(const std::string& target) const {
    httplib::Result result = httplib::Client("127.0.0.1", port_).Get(target);
    return result ? result->body : std::string();
  }

 private:
  void Stop(int signal) {
    if (pid_ > 0 && kill(pid_, signal) == 0) waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  int port_ = 0;
  std::FILE* output_ = nullptr;
  std::thread drain_;
  std::atomic<int> requests_logged_{0};
};

}  // namespace app_test
