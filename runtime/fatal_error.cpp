#include "runtime/fatal_error.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "runtime/constant_pool.h"
#include "runtime/core_commands.h"
#include "runtime/gbk.h"

namespace rt {
namespace {

const char* const kNumberedMessages[] = {
    "",
    "数组成员引用下标超出定义范围",
    "未得到所需要的数值型数据",
    "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
    "数组成员引用下标必须大于等于1",
    "数据或数组类型不匹配",
    "调用DLL命令后发现堆栈错误",
    "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
    "被比较数据只能使用等于或不等于命令比较",
    "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
    "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
    "所提供参数的数据类型不符合要求",
};

struct ReporterState {
  std::mutex mutex;
  FatalErrorPresenter presenter;
  std::vector<std::function<void()>> shutdown_steps;
};

ReporterState& State() {
  static ReporterState state;
  return state;
}

std::atomic<int32_t> event_block_count{0};
std::atomic<bool> reporting{false};
thread_local bool reporting_on_this_thread = false;

void WriteToStandardError(const std::string& gbk_text) {
  std::string utf8 = GbkToUtf8(gbk_text);
  std::string plain;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    plain += utf8[i];
  }
  // A plain write: no stdio buffer or lock that another thread might hold.
  ssize_t ignored = ::write(STDERR_FILENO, plain.data(), plain.size());
  (void)ignored;
}

}  // namespace

std::string FatalErrorText(const char* gbk_message, int32_t number) {
  std::string text = Literal("运行时出错!");
  text += "\r\n\r\n";
  if (number != 0) {
    text += Literal("错误代码：");
    text += std::to_string(number);
    text += "\r\n\r\n";
  }
  if (gbk_message && *gbk_message) {
    text += Literal("错误信息：");
    text += gbk_message;
    text += "\r\n";
  }
  return text;
}

void ReportFatalError(const char* gbk_message, int32_t number) {
  BlockEvents();
  if (reporting_on_this_thread) std::_Exit(-1);  // a failure while reporting: just end
  reporting_on_this_thread = true;
  if (reporting.exchange(true)) {
    // Another thread is already reporting and will end the process. Its box
    // may have to be shown on this thread (the window thread shows the boxes of
    // the others), so keep taking this thread's pending events while waiting;
    // the raised event-block counter keeps application handlers out.
    for (;;) {
      ProcessPendingEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  std::string text = FatalErrorText(gbk_message, number);
  FatalErrorPresenter presenter;
  std::vector<std::function<void()>> steps;
  {
    std::lock_guard lock(State().mutex);
    presenter = State().presenter;
    steps = State().shutdown_steps;
  }
  if (presenter) {
    presenter(text, Literal("错误"));
  } else {
    WriteToStandardError(text);
  }
  for (auto step = steps.rbegin(); step != steps.rend(); ++step) (*step)();
  std::fflush(nullptr);
  std::_Exit(-1);
}

void ReportFatalErrorUtf8(const char* utf8_message, int32_t number) {
  std::string gbk = Utf8ToGbk(utf8_message ? utf8_message : "");
  ReportFatalError(gbk.c_str(), number);
}

void RaiseRuntimeError(int32_t number) {
  ReportFatalError(Literal(RuntimeErrorMessage(number)), number);
}

const char* RuntimeErrorMessage(int32_t number) {
  if (number < 1 || number > 11) return "";
  return kNumberedMessages[number];
}

void SetFatalErrorPresenter(FatalErrorPresenter presenter) {
  std::lock_guard lock(State().mutex);
  State().presenter = std::move(presenter);
}

void AddShutdownStep(std::function<void()> step) {
  std::lock_guard lock(State().mutex);
  State().shutdown_steps.push_back(std::move(step));
}

int32_t EventBlockCount() {
  return event_block_count.load();
}
void BlockEvents() {
  ++event_block_count;
}
void UnblockEvents() {
  --event_block_count;
}

}  // namespace rt
