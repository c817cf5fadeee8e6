// Test entry for the Win32 window-unit suite: the window system starts on the
// main thread, which every test uses as the window thread.
#include <gtest/gtest.h>

#include "ui/window_system.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  ui::StartWindowSystem(argc, argv, false);
  return RUN_ALL_TESTS();
}
