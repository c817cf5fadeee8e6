// Fatal runtime errors: reported once, then the process ends with exit code -1.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace rt {

// Messages of the unnumbered errors, in UTF-8; pass them through rt::Literal
// (or use ReportFatalErrorUtf8) so the reporter receives GBK text.
namespace message {
inline constexpr const char* AllocationFailed = "分配 %d 字节内存失败!";
inline constexpr const char* InvalidDataType = "“欲取出数据的类型”参数值无效";
inline constexpr const char* NotNumeric = "欲转换数据类型不是数值";
inline constexpr const char* LoadStartWindowFailed = "载入启动窗口失败";
inline constexpr const char* WindowTemplatesDamaged = "载入窗口模板数据段出错!";
inline constexpr const char* UnitNotLoaded = "指定窗口或窗口组件不存在或尚未载入";
inline constexpr const char* WindowNotLoaded = "指定窗口尚未载入";
inline constexpr const char* UnitWindowNotLoaded = "未载入欲访问窗口组件所在的窗口";
inline constexpr const char* EventWindowUnknown = "未找到引发事件的窗口";
inline constexpr const char* EventUnitUnknown = "未找到引发事件的窗口组件";
inline constexpr const char* EventUnitInvalid = "引发事件的窗口组件无效";
}  // namespace message

// Reports a fatal error with a GBK message (may be empty or null) and an error
// number (0 for none), shuts the runtime down and exits with -1. Any thread.
[[noreturn]] void ReportFatalError(const char* gbk_message, int32_t number);
// Same with a UTF-8 message, converted to GBK first.
[[noreturn]] void ReportFatalErrorUtf8(const char* utf8_message, int32_t number);
// The numbered errors 1..11 raised by application code.
[[noreturn]] void RaiseRuntimeError(int32_t number);

// The UTF-8 message of numbered error 1..11 (empty for other numbers).
const char* RuntimeErrorMessage(int32_t number);
// The GBK text of the error box: "运行时出错!" heading, number and message blocks.
std::string FatalErrorText(const char* gbk_message, int32_t number);

// Shows the error box. The window layer installs one; without it the text goes
// to standard error as UTF-8. Called with GBK text and caption "错误".
using FatalErrorPresenter =
    std::function<void(const std::string& gbk_text, const std::string& gbk_caption)>;
void SetFatalErrorPresenter(FatalErrorPresenter presenter);

// Steps run, last registered first, after the box is closed and before the
// process exits (closing windows, releasing platform libraries, ...).
void AddShutdownStep(std::function<void()> step);

// While the event-block counter is above zero no window-unit event may reach
// application code; the reporter raises it before anything is shown.
int32_t EventBlockCount();
void BlockEvents();
void UnblockEvents();

}  // namespace rt
