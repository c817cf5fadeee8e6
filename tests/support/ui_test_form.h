// A small window with one unit of every type, as both window backends'
// tests load it, and counters for the events it raises.
#pragma once

#include <functional>

#include "ui/form.h"
#include "ui/unit_properties.h"
#include "ui/unit_ref.h"

namespace ui_test {

inline constexpr int32_t kWindow = 901;
inline constexpr ui::UnitRef kButton{kWindow, 1, ui::unit_type::Button};
inline constexpr ui::UnitRef kEdit{kWindow, 2, ui::unit_type::EditBox};
inline constexpr ui::UnitRef kGroup{kWindow, 3, ui::unit_type::GroupBox};
inline constexpr ui::UnitRef kList{kWindow, 4, ui::unit_type::ListView};
inline constexpr ui::UnitRef kLabel{kWindow, 5, ui::unit_type::Label};
inline constexpr ui::UnitRef kBox{kWindow, 6, ui::unit_type::CartoonBox};
inline constexpr ui::UnitRef kObject{kWindow, 7, ui::unit_type::CartoonObject};

struct EventCounts {
  int created = 0;
  int clicked = 0;
  int row_focused = 0;
  int first_selected_at_focus = -2;         // property 35 read inside the row handler
  std::function<void()> after_row_focused;  // more work for the row handler to do
};
inline EventCounts events;

namespace detail {

inline void OnCreated() {
  ++events.created;
}
inline void OnClicked() {
  ++events.clicked;
}
inline void OnRowFocused() {
  ++events.row_focused;
  events.first_selected_at_focus = ui::ReadUnitInt(kList, ui::property::FirstSelectedRow);
  if (events.after_row_focused) events.after_row_focused();
}

}  // namespace detail

inline ui::FormDescription TestForm() {
  using namespace ui::unit_type;
  ui::FormDescription form;
  form.id = kWindow;
  form.caption = "测试窗口";
  form.left = 20;
  form.top = 30;
  form.width = 420;
  form.height = 400;
  form.units = {
      {1, "按钮1", Button, ui::kWindowItself, 5, 5, 80, 24, "按钮", {}},
      {2, "编辑框1", EditBox, ui::kWindowItself, 5, 35, 80, 24, "编辑", {}},
      {3, "分组框1", GroupBox, ui::kWindowItself, 100, 5, 300, 280, "组", {}},
      {4,
       "超级列表框1",
       ListView,
       3,
       10,
       20,
       280,
       200,
       "",
       {{"代码", 50}, {"名称", 60}, {"现价", 50}}},
      {5, "标签1", Label, 3, 10, 230, 100, 20, "标签", {}},
      {6, "动画框1", CartoonBox, ui::kWindowItself, 5, 300, 120, 80, "", {}},
      {7, "动画物体1", CartoonObject, 3, 200, 230, 26, 26, "", {}},
  };
  form.events = {
      {ui::kWindowItself, ui::event::WindowCreated, detail::OnCreated},
      {1, ui::event::ButtonClicked, detail::OnClicked},
      {4, ui::event::RowFocused, detail::OnRowFocused},
  };
  return form;
}

}  // namespace ui_test
