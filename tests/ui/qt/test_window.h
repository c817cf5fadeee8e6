// The test window over Qt: loaded fresh for each test.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>

#include "tests/support/ui_test_form.h"

namespace ui_test {

// Loads the test window before each test and unloads every window after it
// (switching the control theme off too).
class TestWindow : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  QWidget* window() const;
  QWidget* widget(const ui::UnitRef& unit) const;
  template <class T>
  T* widget_as(const ui::UnitRef& unit) const {
    return static_cast<T*>(widget(unit));
  }
};

}  // namespace ui_test
