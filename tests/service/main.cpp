// Test entry for the service suite: charts are painted with Qt Gui, which
// needs one application object before any font is used.
#include <gtest/gtest.h>
#include <QGuiApplication>

#include <csignal>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::signal(SIGPIPE, SIG_IGN);
  testing::InitGoogleTest(&argc, argv);
  QGuiApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
