// Row changes in a row over a long watch list against quote-service: each
// change starts one more refresh worker while those before it still walk the
// list, so many are alive at once, all served by the one window thread. What
// the burst is judged by: every worker ends, no thread is left over, the list
// shows the service's answers, and the memory held goes back down.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTimer>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/refresh_worker.h"
#include "tests/support/process_figures.h"
#include "tests/support/quote_texts.h"
#include "tests/support/service_process.h"
#include "ui/list_commands.h"
#include "ui/unit_actions.h"

namespace app_test {

// Codes of the service's market that the viewer's exchange rule reaches
// (Shenzhen codes starting with 0, Shanghai ones with 6), from its index page.
inline Fields MarketCodes(const ServiceProcess& service) {
  Fields codes;
  static const QRegularExpression row(QStringLiteral("<tr><td>(sz0\\d{5}|sh6\\d{5})</td>"));
  auto matches = row.globalMatch(QString::fromStdString(service.Get("/")));
  while (matches.hasNext()) codes.push_back(matches.next().captured(1).mid(2).toStdString());
  return codes;
}

struct BurstResult {
  int rows = 0;
  int row_changes = 0;
  double changes_seconds = 0;  // the row changes themselves, handlers included
  double seconds = 0;          // from the first change until the last worker ended
  int workers_left = 0;
  int threads_before = 0, threads_peak = 0, threads_after = 0;  // all of the process's
  int threads_left_over = 0;  // unnamed threads (workers) started in the burst, still there
  double held_before_mb = 0, held_peak_mb = 0, held_after_mb = 0;
  int wrong_rows = 0;  // rows not showing the service's answer for their code

  // Held memory may stay this much above its level before the burst: what
  // the allocator keeps cached for the threads' arenas, not a growth per row.
  static constexpr double kHeldSlackMb = 32;

  // What went wrong, one text per failed check; empty when all passed.
  std::vector<std::string> Failures() const {
    std::vector<std::string> failures;
    if (workers_left > 0) {
      failures.push_back(std::to_string(workers_left) + " workers still running: deadlock?");
    }
    if (threads_left_over > 0) {
      failures.push_back(std::to_string(threads_left_over) + " worker threads left over");
    }
    if (wrong_rows > 0) {
      failures.push_back(std::to_string(wrong_rows) + " rows without the service's answer");
    }
    if (held_after_mb > held_before_mb + kHeldSlackMb) {
      failures.push_back("memory held after the burst " + std::to_string(held_after_mb) +
                         " MB against " + std::to_string(held_before_mb) + " MB before");
    }
    return failures;
  }
};

namespace burst_detail {

inline double Megabytes(size_t bytes) {
  return static_cast<double>(bytes) / (1 << 20);
}

// Selected and made current, as a click does: the handler runs now.
inline void SelectRow(int row) {
  ui::FocusRow(app::kWatchList, row);
}

// Serves the window thread's events until `done` or `limit_ms` have passed.
template <class Done>
void ServeUntil(Done done, int limit_ms) {
  QElapsedTimer waited;
  waited.start();
  QEventLoop loop;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    if (done() || waited.elapsed() > limit_ms) loop.quit();
  });
  tick.start(1);
  if (!done()) loop.exec();
}

}  // namespace burst_detail

// `rows` rows of the service's codes appended to the loaded main window's
// list, then `changes` row changes one after the other, then the window
// thread serves the workers for at most `limit_ms`. The viewer must already
// point at `service`.
inline BurstResult RunRowChangeBurst(const ServiceProcess& service, int rows, int changes,
                                     int limit_ms) {
  using namespace burst_detail;
  BurstResult result;
  result.rows = rows;
  result.row_changes = changes;
  const Fields codes = MarketCodes(service);
  if (codes.empty()) {
    result.wrong_rows = rows;
    return result;
  }
  std::map<std::string, Fields> expected;
  for (int row = 0; row < rows; ++row) {
    const std::string& code = codes[row % codes.size()];
    ui::InsertRow(app::kWatchList, {}, code.c_str());
    if (!expected.contains(code)) {
      expected[code] = RowOf(Split(service.Get("/q=s_" + Exchange(code) + code)));
    }
  }
  QCoreApplication::processEvents();
  const std::set<std::string> threads_before = UnnamedThreads();
  result.threads_before = ThreadCount();
  result.held_before_mb = Megabytes(HeldBytes());

  QElapsedTimer clock;
  clock.start();
  PeakSampler sampler;
  for (int change = 0; change < changes; ++change) SelectRow(change % rows);
  result.changes_seconds = clock.elapsed() / 1000.0;
  ServeUntil([] { return app::RefreshPassesRunning() == 0; }, limit_ms);
  result.seconds = clock.elapsed() / 1000.0;
  result.workers_left = app::RefreshPassesRunning();
  QCoreApplication::sendPostedEvents();  // the last posted writes
  // A worker's thread ends just after it counts itself out.
  auto left_over = [&] {
    int count = 0;
    for (const std::string& thread : UnnamedThreads()) count += !threads_before.contains(thread);
    return count;
  };
  ServeUntil([&] { return left_over() == 0; }, 5000);
  sampler.Stop();
  result.threads_left_over = left_over();
  result.threads_peak = sampler.peak_threads() - 1;  // less the sampler
  result.threads_after = ThreadCount();
  result.held_peak_mb = Megabytes(sampler.peak_bytes());
  result.held_after_mb = Megabytes(HeldBytes());

  for (int row = 0; row < rows; ++row) {
    Fields shown;
    for (int column = 1; column <= 5; ++column) {
      shown.push_back(ui::GetCellText(app::kWatchList, row, column).str());
    }
    result.wrong_rows += shown != expected[codes[row % codes.size()]];
  }
  return result;
}

}  // namespace app_test
