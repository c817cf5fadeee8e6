// RegexObject: the application's regular-expression class. It drives the
// platform's "VBScript.RegExp" object through the ComObject operations, keeps
// the match collection of its last search, and translates between GBK texts
// with byte positions and the object's UTF-16 code-unit positions.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "runtime/automation_cells.h"
#include "runtime/owned.h"

namespace regex {

struct RegexObject;

// An optional parameter: its value and whether the caller supplied it.
struct OptionalBool {
  int32_t value;
  int32_t given;
};
struct OptionalPosition {
  int32_t* variable;
  int32_t given;
};

// The class's method table, in this order. Methods receive the instance
// first; texts are passed as the address of the caller's variable. Positions
// reported are 0-based byte offsets into GBK text; match and group numbers
// are 1-based.
struct RegexMethods {
  void (*destroy)(RegexObject* self);
  RegexObject* (*copy)(const RegexObject* self);
  // pattern, subject, case-sensitive (false), multi-line (true), global
  // (true), expandQuote (false): true when the match run could be made.
  int32_t (*search)(RegexObject* self, char* const* pattern, char* const* subject,
                    OptionalBool case_sensitive, OptionalBool multiline, OptionalBool global,
                    OptionalBool expand_quote);
  void (*placeholder)(RegexObject* self);
  char* (*get_pattern)(RegexObject* self);
  char* (*replace)(RegexObject* self, char* const* replacement);
  int32_t (*match_count)(RegexObject* self);
  char* (*match_text)(RegexObject* self, int32_t match, OptionalPosition position);
  char* (*sub_match_text)(RegexObject* self, int32_t match, int32_t group,
                          OptionalPosition position);
  int32_t (*sub_match_count)(RegexObject* self);
};

// The instance block: method table, then the three cells it owns.
struct RegexObject {
  const RegexMethods* methods;
  rt::ObjectCell* engine;    // the platform object; empty until the first Search
  rt::ObjectCell* matches;   // the match collection of the last Search
  rt::VariantCell* subject;  // the last subject as UTF-16LE bytes ending in a NUL unit
};

const RegexMethods& RegexClassMethods();

// Allocates an instance and runs the class's initialisation (COM is
// initialised on the calling thread). The owner runs `destroy` and then
// frees the block with RtFree; DeleteRegexObject does both.
RegexObject* NewRegexObject();
void DeleteRegexObject(RegexObject* object);

// An owned instance with typed methods.
class Regex {
 public:
  Regex() : object_(NewRegexObject()) {}
  explicit Regex(RegexObject* object) : object_(object) {}
  Regex(Regex&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Regex& operator=(Regex&& other) noexcept {
    DeleteRegexObject(std::exchange(object_, std::exchange(other.object_, nullptr)));
    return *this;
  }
  Regex(const Regex& other) : object_(other.object_->methods->copy(other.object_)) {}
  Regex& operator=(const Regex&) = delete;
  ~Regex() { DeleteRegexObject(object_); }

  RegexObject* get() const { return object_; }

  bool Search(rt::TextRef pattern, rt::TextRef subject, std::optional<bool> case_sensitive = {},
              std::optional<bool> multiline = {}, std::optional<bool> global = {},
              std::optional<bool> expand_quote = {});
  rt::Text GetPattern();
  rt::Text Replace(rt::TextRef replacement);
  int32_t MatchCount();
  rt::Text MatchText(int32_t match, int32_t* position = nullptr);
  rt::Text SubMatchText(int32_t match, int32_t group, int32_t* position = nullptr);
  int32_t SubMatchCount();

 private:
  RegexObject* object_;
};

}  // namespace regex
