// What the Win32 window layer lends the runtime: the error box with
// MessageBoxA on the raising thread, the pending-events pump over
// PeekMessage, and other threads' calls carried out on the window thread.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "runtime/core_commands.h"
#include "runtime/fatal_error.h"
#include "tests/support/gbk_literals.h"
#include "ui/message_loop.h"
#include "ui/win32/message_loop.h"
#include "ui/win32/window_runtime.h"
#include "ui/win32/window_thread.h"

namespace {

struct SeenBox {
  std::wstring caption;
  std::wstring text;
  bool error_icon = false;
  bool ok_only = false;
  bool owned = true;
  DWORD thread = 0;
};

// The first message box of this process's threads, whatever its caption
// (other test programs of the session may show boxes of their own).
HWND FindOwnMessageBox() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM result) -> BOOL {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t class_name[16] = {};
        GetClassNameW(window, class_name, 16);
        if (process != GetCurrentProcessId() || std::wstring(class_name) != L"#32770") return TRUE;
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Waits for this process's message box, notes what it shows and closes it
// with its OK button. A box that never shows leaves an empty caption.
SeenBox CloseBoxWhenShown() {
  HWND box = nullptr;
  for (int waited_ms = 0; !(box = FindOwnMessageBox()) && waited_ms < 30000; waited_ms += 5) {
    Sleep(5);
  }
  SeenBox seen;
  if (!box) return seen;
  wchar_t caption[64] = {};
  GetWindowTextW(box, caption, 64);
  seen.caption = caption;
  wchar_t text[256] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 256);  // the box's text has this id
  seen.text = text;
  HWND icon = GetDlgItem(box, 0x0440);
  seen.error_icon = icon && reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0)) ==
                                LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_ERROR));
  seen.ok_only = GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL) && !GetDlgItem(box, IDNO);
  seen.owned = GetWindow(box, GW_OWNER) != nullptr;
  seen.thread = GetWindowThreadProcessId(box, nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return seen;
}

TEST(ErrorBox, ShowsTheGbkTextOnTheRaisingThreadWithTheErrorIconAndOneOkButton) {
  DWORD raiser_id = 0;
  std::atomic<bool> returned = false;
  std::thread raiser([&] {
    raiser_id = GetCurrentThreadId();
    ui::ShowErrorBox(rt::FatalErrorText(test::Gbk("数组成员引用下标超出定义范围").c_str(), 1),
                     test::Gbk("错误"));
    returned = true;
  });
  const SeenBox seen = CloseBoxWhenShown();
  raiser.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(seen.caption, L"错误");
  EXPECT_EQ(seen.text,
            L"运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n");
  EXPECT_TRUE(seen.error_icon);
  EXPECT_TRUE(seen.ok_only);
  EXPECT_FALSE(seen.owned);
  EXPECT_EQ(seen.thread, raiser_id);
}

TEST(ErrorBoxDeathTest, AFatalErrorOnAWorkerShowsTheBoxThenEndsTheProcessWithMinusOne) {
  EXPECT_EXIT(
      {
        std::thread closer([] {
          const SeenBox seen = CloseBoxWhenShown();
          // Only the box this test expects lets the process end as it should.
          if (seen.text.find(L"错误代码：4") == std::wstring::npos) std::_Exit(9);
        });
        closer.detach();
        std::thread([] { rt::RaiseRuntimeError(4); }).join();
      },
      testing::ExitedWithCode(-1), "");
}

TEST(PendingEventsPump, TakesTheWaitingMessagesAndLeavesTheQuitMessageForTheLoop) {
  HWND window = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
  PostMessageW(window, WM_CLOSE, 0, 0);  // the window's default handling destroys it
  PostQuitMessage(5);
  rt::ProcessPendingEvents();
  EXPECT_FALSE(IsWindow(window));
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 5u);
}

TEST(WindowThreadCall, AWorkersCallRunsOnTheWindowThreadWhileTheWorkerWaits) {
  std::atomic<bool> sending = false, back = false;
  DWORD ran_on = 0;
  std::thread worker([&] {
    EXPECT_FALSE(ui::OnWindowThread());
    sending = true;
    ran_on = ui::RunOnWindowThread([] { return GetCurrentThreadId(); });
    back = true;
  });
  while (!sending) std::this_thread::yield();
  EXPECT_FALSE(back);
  while (!back) ui::PumpPendingEvents();
  worker.join();
  EXPECT_TRUE(ui::OnWindowThread());
  EXPECT_EQ(ran_on, GetCurrentThreadId());
}

// A posted call does not wait: it runs when the window thread next looks at
// its messages, after the poster's earlier operations.
TEST(WindowThreadCall, APostedCallRunsLaterOnTheWindowThreadInTheOrderPosted) {
  std::vector<DWORD> ran_on;
  std::vector<int> order;
  std::thread worker([&] {
    for (int call = 1; call <= 3; ++call) {
      ui::PostToWindowThread([&ran_on, &order, call] {
        ran_on.push_back(GetCurrentThreadId());
        order.push_back(call);
      });
    }
  });
  worker.join();  // all three posted while this thread took no message
  EXPECT_TRUE(order.empty());
  ui::PumpPendingEvents();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(ran_on, std::vector<DWORD>(3, GetCurrentThreadId()));
}

}  // namespace
