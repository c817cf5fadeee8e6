#include "net_routing.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <optional>

#include "net_test_seams.h"

namespace platform {
namespace {

struct RoutingState {
  std::mutex mutex;
  std::optional<std::map<std::string, std::string>> host_map;
  std::string ca_bundle;
};

RoutingState& State() {
  static RoutingState* state = new RoutingState;  // outlives every static destructor
  return *state;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool IsLoopbackLiteral(std::string_view host) {
  if (host == "localhost" || host == "[::1]") return true;
  if (host.substr(0, 4) != "127.") return false;
  return std::all_of(host.begin(), host.end(), [](char c) {
    return c == '.' || std::isdigit(static_cast<unsigned char>(c));
  });
}

}  // namespace

void SetHostMapForTests(std::map<std::string, std::string> names) {
  std::map<std::string, std::string> lowered;
  for (auto& [name, address] : names) lowered[Lower(name)] = address;
  std::lock_guard lock(State().mutex);
  State().host_map = std::move(lowered);
}

void ClearHostMapForTests() {
  std::lock_guard lock(State().mutex);
  State().host_map.reset();
}

void SetExtraCaBundleForTests(const std::string& pem_path) {
  std::lock_guard lock(State().mutex);
  State().ca_bundle = pem_path;
}

namespace net {

bool IsValidHostName(std::string_view host) {
  if (host.empty()) return false;
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return false;
    return std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
      return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
    });
  }
  return std::all_of(host.begin(), host.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
  });
}

HostRoute RouteHost(std::string_view host, int port) {
  HostRoute route;
  if (!IsValidHostName(host)) {
    route.resolvable = false;
    return route;
  }
  std::lock_guard lock(State().mutex);
  if (!State().host_map) return route;
  std::string name = Lower(host);
  auto mapped = State().host_map->find(name);
  if (mapped != State().host_map->end()) {
    if (mapped->second.empty()) {
      route.resolvable = false;
    } else {
      route.resolve_entry = name + ":" + std::to_string(port) + ":" + mapped->second;
    }
    return route;
  }
  route.resolvable = IsLoopbackLiteral(name);
  return route;
}

std::string ExtraCaBundle() {
  std::lock_guard lock(State().mutex);
  return State().ca_bundle;
}

}  // namespace net
}  // namespace platform
