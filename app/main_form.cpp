#include "app/main_form.h"

#include <string>

#include "app/main_handlers.h"
#include "ui/form_registry.h"

namespace app {
namespace {

constexpr const char* kSeparator = "-----------------------------------------";  // 41 hyphens
static_assert(std::char_traits<char>::length(kSeparator) == 41);

// `description` tells a screen reader which level and value a value label
// shows ("卖5 价格"); the others read their shown text only.
ui::FormUnit BookLabel(int number, const char* name, int left, int top, int width, const char* text,
                       const char* description = "") {
  return {unit::Label(number),
          name,
          ui::unit_type::Label,
          unit::BookGroup,
          left,
          top,
          width,
          24,
          text,
          {},
          "",
          description};
}

ui::FormDescription BuildMainForm() {
  using namespace ui::unit_type;
  ui::FormDescription form;
  form.id = kMainWindow;
  form.caption = "股票行情";
  form.left = 50;
  form.top = 50;
  form.width = 679;
  form.height = 429;
  form.units = {
      {unit::ImportButton, "导入", Button, ui::kWindowItself, 8, 8, 112, 32, "导入", {}},
      {unit::CodeBox, "编辑框1", EditBox, ui::kWindowItself, 8, 48, 112, 32, "", {}, "股票代码"},
      {unit::ChartBox,
       "动画框1",
       CartoonBox,
       ui::kWindowItself,
       128,
       8,
       280,
       152,
       "",
       {},
       "走势图"},
      {unit::ListGroup, "分组框1", GroupBox, ui::kWindowItself, 0, 176, 416, 216, "", {}},
      {unit::WatchList,
       "超级列表框1",
       ListView,
       unit::ListGroup,
       8,
       16,
       400,
       184,
       "",
       {{"代码", 50},
        {"名称", 60},
        {"现价", 50},
        {"涨跌", 50},
        {"成交量（万）", 90},
        {"总市值（亿）", 90}},
       "自选股"},
      {unit::BookGroup,
       "分组框2",
       GroupBox,
       ui::kWindowItself,
       424,
       2,
       248,
       390,
       "",
       {},
       "五档盘口"},
      {unit::ChartObject, "动画物体1", CartoonObject, unit::BookGroup, 8, 166, 26, 26, "", {}},
      // Sell levels 5 to 1, the first separator, buy levels 1 to 5, the second separator.
      BookLabel(1, "标签1", 16, 8, 64, "卖5"),
      BookLabel(2, "标签2", 16, 37, 64, "卖4"),
      BookLabel(3, "标签3", 16, 66, 64, "卖3"),
      BookLabel(4, "标签4", 16, 95, 64, "卖2"),
      BookLabel(5, "标签5", 16, 126, 64, "卖1"),
      BookLabel(6, "标签6", 8, 146, 232, kSeparator),
      BookLabel(7, "标签7", 15, 170, 64, "买1"),
      BookLabel(8, "标签8", 15, 199, 64, "买2"),
      BookLabel(9, "标签9", 15, 228, 64, "买3"),
      BookLabel(10, "标签10", 15, 257, 64, "买4"),
      BookLabel(11, "标签11", 15, 288, 64, "买5"),
      BookLabel(12, "标签12", 8, 308, 232, kSeparator),
      // First value of each level; the captions are placeholders until a quote arrives.
      BookLabel(15, "标签15", 81, 8, 64, "卖5", "卖5 价格"),
      BookLabel(16, "标签16", 81, 37, 64, "卖4", "卖4 价格"),
      BookLabel(17, "标签17", 81, 66, 64, "卖3", "卖3 价格"),
      BookLabel(18, "标签18", 81, 95, 64, "卖2", "卖2 价格"),
      BookLabel(19, "标签19", 81, 126, 64, "卖1", "卖1 价格"),
      BookLabel(20, "标签20", 80, 170, 64, "买1", "买1 价格"),
      BookLabel(21, "标签21", 80, 199, 64, "买2", "买2 价格"),
      BookLabel(22, "标签22", 80, 228, 64, "买3", "买3 价格"),
      BookLabel(23, "标签23", 80, 257, 64, "买4", "买4 价格"),
      BookLabel(24, "标签24", 80, 288, 64, "买5", "买5 价格"),
      // Nothing ever writes this one.
      {unit::Label(25), "标签25", Label, unit::BookGroup, 81, 328, 80, 24, "", {}},
      // Second value of each level, placeholders likewise.
      BookLabel(27, "标签27", 150, 8, 64, "卖5", "卖5 数量"),
      BookLabel(28, "标签28", 150, 37, 64, "卖4", "卖4 数量"),
      BookLabel(29, "标签29", 150, 66, 64, "卖3", "卖3 数量"),
      BookLabel(30, "标签30", 150, 95, 64, "卖2", "卖2 数量"),
      BookLabel(31, "标签31", 150, 126, 64, "卖1", "卖1 数量"),
      BookLabel(32, "标签32", 149, 170, 64, "买1", "买1 数量"),
      BookLabel(33, "标签33", 149, 199, 64, "买2", "买2 数量"),
      BookLabel(34, "标签34", 149, 228, 64, "买3", "买3 数量"),
      BookLabel(35, "标签35", 149, 257, 64, "买4", "买4 数量"),
      BookLabel(36, "标签36", 149, 288, 64, "买5", "买5 数量"),
  };
  form.events = {
      {ui::kWindowItself, ui::event::WindowCreated, OnMainWindowCreated},
      {unit::ImportButton, ui::event::ButtonClicked, OnImportClicked},
      {unit::WatchList, ui::event::RowFocused, OnCurrentRowChanged},
  };
  return form;
}

}  // namespace

const ui::FormDescription& MainForm() {
  static const ui::FormDescription form = BuildMainForm();
  return form;
}

void RegisterMainForm() {
  ui::RegisterForm(MainForm());
}

}  // namespace app
