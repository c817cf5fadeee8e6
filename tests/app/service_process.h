// quote-service run as a child process on an ephemeral loopback port with its
// market clock frozen (equal answers every time), stopped by its PID.
#pragma once

#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>(QUOTE_SERVICE_BINARY),
                    const_cast<char*>("--port"),
                    const_cast<char*>("0"),
                    const_cast<char*>("--clock"),
                    const_cast<char*>("1717740600"),
                    nullptr};
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    output_ = fdopen(out[0], "r");
    // "quote-service listening on 127.0.0.1:PORT"; then one log line per request.
    char line[256] = "";
    if (pid_ > 0 && std::fgets(line, sizeof line, output_)) {
      const std::string first = line;
      port_ = std::atoi(first.substr(first.rfind(':') + 1).c_str());
    }
    drain_ = std::thread([this] {
      while (std::fgets(line_, sizeof line_, output_)) {
      }
    });
  }
  ~ServiceProcess() {
    if (pid_ > 0) kill(pid_, SIGTERM);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    drain_.join();
    std::fclose(output_);
  }

  int port() const { return port_; }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  // What the service answers at `target`, fetched past the viewer.
  std::string Get(const std::string& target) const {
    httplib::Client client("127.0.0.1", port_);
    httplib::Result result = client.Get(target);
    return result ? result->body : std::string();
  }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::FILE* output_ = nullptr;
  char line_[512];
  std::thread drain_;
};

}  // namespace app_test
