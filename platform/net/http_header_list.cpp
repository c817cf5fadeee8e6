#include "http_header_list.h"

#include <algorithm>
#include <array>

namespace platform::net {
namespace {

std::string_view TrimEnd(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Where the first line of `text` ends: its first CR or LF, or npos.
size_t LineEnd(std::string_view text) {
  auto end = std::find_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; });
  return end == text.end() ? std::string_view::npos : static_cast<size_t>(end - text.begin());
}

// Calls `apply` on each line of `text` cut at runs of CR and LF, empty lines
// skipped, until one returns an error, which is returned.
template <class Apply>
uint32_t ForEachLine(std::string_view text, Apply apply) {
  while (!text.empty()) {
    size_t end = LineEnd(text);
    std::string_view line = text.substr(0, end);
    if (!line.empty()) {
      if (uint32_t error = apply(line)) return error;
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end);
    while (!text.empty() && (text.front() == '\r' || text.front() == '\n')) text.remove_prefix(1);
  }
  return 0;
}

// "Name: value" with a valid name.
bool IsWellFormed(std::string_view line) {
  size_t colon = line.find(':');
  return colon != std::string_view::npos && IsHeaderName(line.substr(0, colon));
}

}  // namespace

// Header names compare with ASCII letters folded, whatever the C locale.
bool SameHeaderName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
           return x == y || lower(x) == lower(y);
         });
}

std::string_view FirstLine(std::string_view text) {
  return text.substr(0, LineEnd(text));
}

bool IsHeaderName(std::string_view name) {
  static constexpr std::array<bool, 256> kAllowed = [] {
    std::array<bool, 256> allowed{};
    for (int c = 0x21; c < 0x100; ++c) allowed[c] = c != 0x7F;
    for (char separator : std::string_view("()<>@,;:\\\"/[]?={}")) {
      allowed[static_cast<unsigned char>(separator)] = false;
    }
    return allowed;
  }();
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return kAllowed[static_cast<unsigned char>(c)];
  });
}

uint32_t HeaderList::Apply(std::string_view text, uint32_t modifiers) {
  // A lone REPLACE and ADD_IF_NEW fail on what earlier lines did, so they are
  // tried on a copy. Otherwise only a malformed line fails: with every line
  // checked first, the lines apply in place.
  bool may_refuse = ((modifiers & kReplace) && !(modifiers & kAdd)) || (modifiers & kAddIfNew);
  if (!may_refuse) {
    if (uint32_t error = ForEachLine(
            text, [](std::string_view line) { return IsWellFormed(line) ? 0 : kInvalidHeader; })) {
      return error;
    }
    return ForEachLine(text, [&](std::string_view line) { return ApplyLine(line, modifiers); });
  }
  HeaderList edited = *this;
  if (uint32_t error = ForEachLine(
          text, [&](std::string_view line) { return edited.ApplyLine(line, modifiers); })) {
    return error;
  }
  fields_ = std::move(edited.fields_);
  return 0;
}

uint32_t HeaderList::ApplyLine(std::string_view line, uint32_t modifiers) {
  size_t colon = line.find(':');
  if (colon == std::string_view::npos) return kInvalidHeader;
  std::string_view name = line.substr(0, colon);
  if (!IsHeaderName(name)) return kInvalidHeader;
  std::string_view value = line.substr(colon + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  value = TrimEnd(value);

  auto existing = std::find_if(fields_.begin(), fields_.end(),
                               [&](const HeaderField& f) { return SameHeaderName(f.name, name); });
  bool exists = existing != fields_.end();
  if (modifiers & kReplace) {
    if (!exists && !(modifiers & kAdd)) return kHeaderNotFound;
    // The old line goes and the new one (unless empty, which only removes)
    // joins the end, so a replaced header moves to the back.
    if (exists) fields_.erase(existing);
    if (!value.empty()) fields_.push_back({std::string(name), std::string(value)});
    return 0;
  }
  if (modifiers & kAddIfNew) {
    if (exists) return kHeaderAlreadyExists;
  } else if (exists && (modifiers & (kCoalesceWithComma | kCoalesceWithSemicolon))) {
    existing->value += (modifiers & kCoalesceWithSemicolon) ? "; " : ", ";
    existing->value += value;
    return 0;
  }
  fields_.push_back({std::string(name), std::string(value)});
  return 0;
}

const std::string* HeaderList::Find(std::string_view name) const {
  for (const HeaderField& field : fields_) {
    if (SameHeaderName(field.name, name)) return &field.value;
  }
  return nullptr;
}

void HeaderList::Set(std::string_view name, std::string_view value) {
  value = FirstLine(value);
  for (HeaderField& field : fields_) {
    if (SameHeaderName(field.name, name)) {
      field.value = std::string(value);
      return;
    }
  }
  fields_.push_back({std::string(name), std::string(value)});
}

void HeaderList::Remove(std::string_view name) {
  std::erase_if(fields_, [&](const HeaderField& f) { return SameHeaderName(f.name, name); });
}

}  // namespace platform::net
