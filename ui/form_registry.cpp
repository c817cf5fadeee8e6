#include "ui/form_registry.h"

#include <map>
#include <memory>

namespace ui {
namespace {

// Held by pointer, so a loaded window's reference to its form stays valid
// while other forms are registered.
std::map<int32_t, std::unique_ptr<FormDescription>>& Forms() {
  static std::map<int32_t, std::unique_ptr<FormDescription>> forms;
  return forms;
}

}  // namespace

void RegisterForm(FormDescription form) {
  const int32_t id = form.id;
  Forms()[id] = std::make_unique<FormDescription>(std::move(form));
}

const FormDescription* FindForm(int32_t window_id) {
  auto found = Forms().find(window_id);
  return found == Forms().end() ? nullptr : found->second.get();
}

}  // namespace ui
