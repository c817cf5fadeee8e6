// The viewer started where no window can be shown reports the load failure on
// standard error and ends with -1 instead of Qt aborting it; started from any
// folder, it works from its own.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

struct Outcome {
  int status = 0;
  std::string errors;
};

// Runs the viewer with the given environment changes (env(1) arguments).
Outcome RunViewer(const std::string& environment) {
  const std::string errors = testing::TempDir() + "quoteview_start_up.txt";
  const std::string command =
      "env " + environment + " '" + QUOTEVIEW_BINARY + "' 2>'" + errors + "'";
  Outcome outcome;
  outcome.status = std::system(command.c_str());
  std::ifstream file(errors);
  std::stringstream text;
  text << file.rdbuf();
  outcome.errors = text.str();
  std::remove(errors.c_str());
  return outcome;
}

void ExpectLoadFailureReported(const Outcome& outcome) {
  ASSERT_TRUE(WIFEXITED(outcome.status)) << outcome.errors;
  EXPECT_EQ(WEXITSTATUS(outcome.status), 255) << outcome.errors;
  EXPECT_NE(outcome.errors.find("运行时出错!"), std::string::npos) << outcome.errors;
  EXPECT_NE(outcome.errors.find("错误信息：载入启动窗口失败"), std::string::npos) << outcome.errors;
}

TEST(StartUp, WithoutADisplayTheLoadFailureIsReported) {
  ExpectLoadFailureReported(RunViewer("-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM"));
}

TEST(StartUp, ADisplayWithNoServerIsReportedLikeNone) {
  ASSERT_FALSE(std::filesystem::exists("/tmp/.X11-unix/X93")) << "a server runs at :93";
  ExpectLoadFailureReported(RunViewer("-u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:93"));
  ExpectLoadFailureReported(RunViewer("-u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb DISPLAY=:93"));
}

TEST(StartUp, TheViewerWorksFromItsOwnFolder) {
  const std::filesystem::path binary = std::filesystem::canonical(QUOTEVIEW_BINARY);
  const std::filesystem::path started_in = std::filesystem::canonical(testing::TempDir());
  ASSERT_NE(started_in, binary.parent_path());
  const pid_t viewer = fork();
  ASSERT_GE(viewer, 0);
  if (viewer == 0) {
    if (chdir(started_in.c_str()) != 0) _exit(120);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    _exit(121);
  }
  // The viewer keeps running with its window open; its working folder is read
  // from outside until it has moved (or a generous limit for a slow start).
  const std::string cwd_link = "/proc/" + std::to_string(viewer) + "/cwd";
  std::filesystem::path folder;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < give_up) {
    std::error_code error;
    folder = std::filesystem::read_symlink(cwd_link, error);
    if (!error && folder == binary.parent_path()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(viewer, SIGKILL);
  int status = 0;
  waitpid(viewer, &status, 0);
  EXPECT_EQ(folder, binary.parent_path());
  EXPECT_TRUE(WIFSIGNALED(status)) << "the viewer ended by itself";
}

}  // namespace
