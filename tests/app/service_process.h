// quote-service as a child process on an ephemeral loopback port, its market
// clock frozen so that it answers alike every time; stopped by its PID.
#pragma once

#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace app_test {

class ServiceProcess {
 public:
  ServiceProcess() {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const char* argv[] = {QUOTE_SERVICE_BINARY, "--port", "0", "--clock", "1717740600", nullptr};
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
      }
    });
  }
  ~ServiceProcess() {
    if (pid_ > 0 && kill(pid_, SIGTERM) == 0) waitpid(pid_, nullptr, 0);
    drain_.join();
    std::fclose(output_);
  }

  int port() const { return port_; }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  // The service's own answer, fetched past the viewer.
  std::string Get(const std::string& target) const {
    httplib::Result result = httplib::Client("127.0.0.1", port_).Get(target);
    return result ? result->body : std::string();
  }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::FILE* output_ = nullptr;
  std::thread drain_;
};

}  // namespace app_test
