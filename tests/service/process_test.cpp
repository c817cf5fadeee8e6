// The quote-service program itself, run as a child process: options, the
// first line, the request log, latency and stopping on signals.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/service/service_fixture.h"

extern char** environ;

namespace {

class Child {
 public:
  explicit Child(std::vector<std::string> args) {
    args.insert(args.begin(), QUOTE_SERVICE_BINARY);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2];
    EXPECT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    EXPECT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    stdout_ = out[0];
  }
  ~Child() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(stdout_);
  }

  // The next line of standard output, without its line feed; "" on timeout.
  std::string ReadLine(int timeout_ms = 10000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (true) {
      if (size_t end = buffered_.find('\n'); end != std::string::npos) {
        std::string line = buffered_.substr(0, end);
        buffered_.erase(0, end + 1);
        return line;
      }
      int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      deadline - std::chrono::steady_clock::now())
                                      .count());
      pollfd readable{stdout_, POLLIN, 0};
      if (left <= 0 || poll(&readable, 1, left) <= 0) return {};
      char chunk[1024];
      ssize_t n = read(stdout_, chunk, sizeof chunk);
      if (n <= 0) return {};
      buffered_.append(chunk, static_cast<size_t>(n));
    }
  }

  // Everything up to the end of output (or the timeout).
  std::string ReadAll(int timeout_ms = 10000) {
    std::string all = std::move(buffered_);
    buffered_.clear();
    pollfd readable{stdout_, POLLIN, 0};
    char chunk[1024];
    for (ssize_t n;
         poll(&readable, 1, timeout_ms) > 0 && (n = read(stdout_, chunk, sizeof chunk)) > 0;) {
      all.append(chunk, static_cast<size_t>(n));
    }
    return all;
  }

  // The port named on the first line, or -1.
  int ListeningPort() {
    std::string line = ReadLine();
    std::string prefix = "quote-service listening on 127.0.0.1:";
    return line.starts_with(prefix) ? std::stoi(line.substr(prefix.size())) : -1;
  }

  // Exit status, or -1 when it has not ended within the timeout or died of a signal.
  int Wait(int timeout_ms = 10000) {
    for (int waited = 0; waited < timeout_ms; waited += 10) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      usleep(10000);
    }
    return -1;
  }

  void Signal(int number) { kill(pid_, number); }

 private:
  pid_t pid_ = -1;
  int stdout_ = -1;
  std::string buffered_;
};

TEST(ProcessTest, VersionAndHelp) {
  Child version({"--version"});
  EXPECT_EQ(version.ReadLine(), "quote-service " QUOTEVIEW_VERSION);
  EXPECT_EQ(version.Wait(), 0);
  Child help({"--help"});
  std::string text = help.ReadAll();
  for (const char* option : {"--host", "--port", "--seed", "--stocks", "--latency-ms", "--clock",
                             "--help", "--version"}) {
    EXPECT_NE(text.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(help.Wait(), 0);
}

TEST(ProcessTest, BadOptionsExitWithStatusTwo) {
  for (std::vector<std::string> args : {std::vector<std::string>{"--bogus"},
                                        {"--port", "70000"},
                                        {"--port"},
                                        {"--stocks=0"},
                                        {"--seed", "-1"},
                                        {"--latency-ms", "ten"},
                                        {"--clock", "12x"}}) {
    Child child(args);
    EXPECT_EQ(child.Wait(), 2) << args[0];
  }
}

class StopSignalTest : public testing::TestWithParam<int> {};

TEST_P(StopSignalTest, ServesLogsAndStopsCleanly) {
  Child child({"--port", "0", "--stocks", "20", "--clock", "1717740600"});
  int port = child.ListeningPort();
  ASSERT_GT(port, 0);
  service_test::Reply reply = service_test::Get(port, "/q=s_sh600000");
  EXPECT_EQ(reply.status, 200);
  std::string log = child.ReadLine();
  EXPECT_NE(log.find(" GET /q=s_sh600000 200 " + std::to_string(reply.body.size()) + " "),
            std::string::npos)
      << log;
  child.Signal(GetParam());
  EXPECT_EQ(child.Wait(), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalTest, testing::Values(SIGINT, SIGTERM));

TEST(ProcessTest, LatencyDelaysEveryAnswer) {
  Child child({"--port", "0", "--latency-ms", "300"});
  int port = child.ListeningPort();
  ASSERT_GT(port, 0);
  for (const char* path : {"/q=s_sh600000", "/nothing"}) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_NE(service_test::Get(port, path).status, 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300)) << path;
    std::string log = child.ReadLine();
    EXPECT_GE(std::stoll(log.substr(log.rfind(' ') + 1)), 300000) << log;
  }
  child.Signal(SIGTERM);
  EXPECT_EQ(child.Wait(), 0);
}

TEST(ProcessTest, BusyPortIsReported) {
  Child first({"--port", "0"});
  int port = first.ListeningPort();
  ASSERT_GT(port, 0);
  Child second({"--port", std::to_string(port)});
  EXPECT_EQ(second.Wait(), 1);
}

}  // namespace
