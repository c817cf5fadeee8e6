// The loaded windows of a backend by their ids, and the rules every path that
// names a window or unit follows: which fatal error each miss gives, and when
// an event reaches its handler. `Window` is the backend's record of a loaded
// window, with its `form` and its `units`. Window thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "runtime/fatal_error.h"
#include "ui/event_dispatch.h"
#include "ui/form.h"

namespace ui {

// The unit of this id among a window's units, or null.
template <class Units>
auto FindUnitIn(const Units& units, int32_t unit_id) -> decltype(units.front().get()) {
  for (const auto& unit : units) {
    if (unit->id() == unit_id) return unit.get();
  }
  return nullptr;
}

template <class Window>
class WindowTable {
 public:
  // The record of this id, also after its window is gone; null when the id
  // was never loaded.
  Window* Find(int32_t window_id) const {
    auto found = windows_.find(window_id);
    return found == windows_.end() ? nullptr : found->second.get();
  }

  // Records a window built from `form`, replacing an earlier one of the same id.
  Window& Add(const FormDescription& form) {
    auto window = std::make_unique<Window>();
    window->form = &form;
    Window& added = *window;
    windows_[form.id] = std::move(window);
    return added;
  }

  // The unit a property names. Fatal when the window was never loaded
  // ("未载入欲访问窗口组件所在的窗口") or has no such unit.
  auto& UnitForProperty(int32_t window_id, int32_t unit_id) const {
    const Window* window = Find(window_id);
    if (!window) rt::ReportFatalErrorUtf8(rt::message::UnitWindowNotLoaded, 0);
    auto* unit = FindUnitIn(window->units, unit_id);
    if (!unit) rt::ReportFatalErrorUtf8(rt::message::UnitNotLoaded, 0);
    return *unit;
  }

  // The unit a library command's argument names. Fatal when the window was
  // never loaded or has no such unit ("指定窗口或窗口组件不存在或尚未载入").
  auto& UnitForCommand(int32_t window_id, int32_t unit_id) const {
    const Window* window = Find(window_id);
    auto* unit = window ? FindUnitIn(window->units, unit_id) : nullptr;
    if (!unit) rt::ReportFatalErrorUtf8(rt::message::UnitNotLoaded, 0);
    return *unit;
  }

  // Runs the handler bound to (unit, event) of the window, if any. Nothing is
  // dispatched while a fatal error is being reported.
  void Dispatch(int32_t window_id, int32_t unit_id, int32_t event) const {
    if (rt::EventBlockCount() > 0) return;
    const Window* window = Find(window_id);
    if (!window) rt::ReportFatalErrorUtf8(rt::message::EventWindowUnknown, 0);
    if (unit_id != kWindowItself && !FindUnitIn(window->units, unit_id)) {
      rt::ReportFatalErrorUtf8(rt::message::EventUnitUnknown, 0);
    }
    RunBoundHandler(*window->form, unit_id, event);
  }

  // Every record, by window id.
  const std::map<int32_t, std::unique_ptr<Window>>& records() const { return windows_; }
  // Forgets every record; each destroys its window if it still exists.
  void Clear() { windows_.clear(); }

 private:
  std::map<int32_t, std::unique_ptr<Window>> windows_;
};

}  // namespace ui
