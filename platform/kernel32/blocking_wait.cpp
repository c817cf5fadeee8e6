#include "blocking_wait.h"

#include <atomic>

namespace platform {
namespace {

std::atomic<BlockingWaitHook> installed_hook{nullptr};

}  // namespace

void SetBlockingWaitHook(BlockingWaitHook hook) {
  installed_hook.store(hook);
}

bool HasBlockingWaitHook() {
  return installed_hook.load(std::memory_order_relaxed) != nullptr;
}

void RunBlockingWaitHook() {
  if (BlockingWaitHook hook = installed_hook.load()) hook();
}

}  // namespace platform
