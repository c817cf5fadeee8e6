#include "http_header_list.h"

#include <algorithm>
#include <cctype>

namespace platform::net {
namespace {

std::string_view TrimEnd(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

bool SameHeaderName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view FirstLine(std::string_view text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

bool IsHeaderName(std::string_view name) {
  if (name.empty()) return false;
  return std::none_of(name.begin(), name.end(), [](char ch) {
    auto c = static_cast<unsigned char>(ch);
    return c <= 0x20 || c == 0x7F ||
           std::string_view("()<>@,;:\\\"/[]?={}").find(ch) != std::string_view::npos;
  });
}

uint32_t HeaderList::Apply(std::string_view text, uint32_t modifiers) {
  HeaderList edited = *this;
  while (!text.empty()) {
    size_t end = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, end);
    if (!line.empty()) {
      if (uint32_t error = edited.ApplyLine(line, modifiers)) return error;
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end);
    while (!text.empty() && (text.front() == '\r' || text.front() == '\n')) text.remove_prefix(1);
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
