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
  // Test cases run side by side: each run has a file of its own.
  static int runs = 0;
  const std::string errors = testing::TempDir() + "quoteview_start_up_" + std::to_string(getpid()) +
                             "_" + std::to_string(++runs) + ".txt";
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

// Started from another folder, the running viewer's working folder (read from
// outside) becomes its own, within a generous limit for a slow start.
TEST(StartUp, TheViewerWorksFromItsOwnFolder) {
  const std::filesystem::path home = std::filesystem::canonical(QUOTEVIEW_BINARY).parent_path();
  const pid_t viewer = fork();
  ASSERT_GE(viewer, 0);
  if (viewer == 0) {
    if (chdir("/") == 0 && setenv("QT_QPA_PLATFORM", "offscreen", 1) == 0) {
      execl(QUOTEVIEW_BINARY, QUOTEVIEW_BINARY, static_cast<char*>(nullptr));
    }
    _exit(120);
  }
  const std::string cwd = "/proc/" + std::to_string(viewer) + "/cwd";
  std::error_code error;
  std::filesystem::path folder;
  for (int tries = 0; tries < 1500 && folder != home; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    folder = std::filesystem::read_symlink(cwd, error);
  }
  kill(viewer, SIGKILL);
  int status = 0;
  waitpid(viewer, &status, 0);
  EXPECT_EQ(folder, home);
  EXPECT_TRUE(WIFSIGNALED(status)) << "the viewer ended by itself";
}

}  // namespace
