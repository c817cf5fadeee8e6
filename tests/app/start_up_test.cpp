// The viewer started where no window can be shown: the load failure is
// reported on standard error and the process ends with -1 instead of Qt
// aborting it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

TEST(StartUp, WithoutADisplayTheLoadFailureIsReported) {
  const std::string errors = testing::TempDir() + "quoteview_no_display.txt";
  const std::string command =
      std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '") + QUOTEVIEW_BINARY +
      "' 2>'" + errors + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 255);
  std::ifstream file(errors);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(text.str().find("运行时出错!"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("错误信息：载入启动窗口失败"), std::string::npos) << text.str();
  std::remove(errors.c_str());
}

}  // namespace
