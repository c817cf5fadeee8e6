// The viewer program itself as a child process in screenshot mode, pointed at
// loopback services, and what it left behind: exit status, standard error and
// how long it ran.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace app_test {

struct Outcome {
  int status = -1;  // exit status, -1 when it did not exit by itself
  std::string errors;
  double seconds = 0;
};

// A picture path of the running test's own, removed before and after.
struct Screenshot {
  std::string path;
  Screenshot()
      : path(testing::TempDir() + "quoteview_shot_" + std::to_string(getpid()) + "_" + FileName() +
             ".png") {
    std::filesystem::remove(path);
  }
  ~Screenshot() { std::filesystem::remove(path); }

 private:
  // Parameterised tests have a "/" in their names.
  static std::string FileName() {
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '_');
    return name;
  }
};

// The viewer in screenshot mode against `base` (quotes and, unless
// `chart_base` is given, charts), with more variables added. Killed after a
// minute, which shows as status -1.
inline Outcome RunViewer(const std::string& base, const std::string& shot,
                         const std::string& more = "", const std::string& chart_base = "") {
  const std::string errors = shot + ".errors";
  const std::string command =
      "env QT_QPA_PLATFORM=offscreen QUOTEVIEW_SCREENSHOT='" + shot + "' QUOTEVIEW_QUOTE_PREFIX='" +
      base + "/q=' QUOTEVIEW_CHART_PREFIX='" + (chart_base.empty() ? base : chart_base) +
      "/quotepic/10082333/' " + more + " timeout -s KILL 60 '" + QUOTEVIEW_BINARY + "' 2>'" +
      errors + "'";
  const auto start = std::chrono::steady_clock::now();
  const int status = std::system(command.c_str());
  Outcome outcome;
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  outcome.status = WIFEXITED(status) && WEXITSTATUS(status) != 137 ? WEXITSTATUS(status) : -1;
  std::stringstream text;
  text << std::ifstream(errors).rdbuf();
  outcome.errors = text.str();
  std::filesystem::remove(errors);
  return outcome;
}

}  // namespace app_test
