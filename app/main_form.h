// The viewer's one window as form data: its units with their places, texts
// and parents, the watch list's columns, and which handler each event runs.
#pragma once

#include <cstdint>

#include "ui/form.h"
#include "ui/unit_ref.h"

namespace app {

inline constexpr int32_t kMainWindow = 1;

// Unit ids of the main window; label N (标签N) has id 100 + N.
namespace unit {
inline constexpr int32_t ImportButton = 1;  // 导入
inline constexpr int32_t CodeBox = 2;       // 编辑框1
inline constexpr int32_t ChartBox = 3;      // 动画框1
inline constexpr int32_t ListGroup = 4;     // 分组框1
inline constexpr int32_t WatchList = 5;     // 超级列表框1
inline constexpr int32_t BookGroup = 6;     // 分组框2
inline constexpr int32_t ChartObject = 7;   // 动画物体1
inline constexpr int32_t Label(int number) {
  return 100 + number;
}
}  // namespace unit

inline constexpr ui::UnitRef kImportButton{kMainWindow, unit::ImportButton, ui::unit_type::Button};
inline constexpr ui::UnitRef kCodeBox{kMainWindow, unit::CodeBox, ui::unit_type::EditBox};
inline constexpr ui::UnitRef kChartBox{kMainWindow, unit::ChartBox, ui::unit_type::CartoonBox};
inline constexpr ui::UnitRef kWatchList{kMainWindow, unit::WatchList, ui::unit_type::ListView};
inline constexpr ui::UnitRef kChartObject{kMainWindow, unit::ChartObject,
                                          ui::unit_type::CartoonObject};
inline constexpr ui::UnitRef LabelRef(int number) {
  return {kMainWindow, unit::Label(number), ui::unit_type::Label};
}

// The description, built once.
const ui::FormDescription& MainForm();
// Adds it to the runtime's window templates.
void RegisterMainForm();

}  // namespace app
