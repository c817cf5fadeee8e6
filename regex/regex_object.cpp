// Construction, destruction and copying of RegexObject instances, and the
// typed owner. Every instance, copies included, initialises COM once on its
// thread and uninitialises it once when destroyed, so the thread's count
// stays balanced.
#include "regex/regex_object.h"

#include "runtime/automation_owned.h"
#include "runtime/heap.h"
#include "runtime/platform_functions.h"

namespace regex {

// The methods, defined with the search in regex_search.cpp.
int32_t Search(RegexObject* self, char* const* pattern, char* const* subject,
               OptionalBool case_sensitive, OptionalBool multiline, OptionalBool global,
               OptionalBool expand_quote);
char* GetPattern(RegexObject* self);
char* Replace(RegexObject* self, char* const* replacement);
int32_t MatchCount(RegexObject* self);
char* MatchText(RegexObject* self, int32_t match, OptionalPosition position);
char* SubMatchText(RegexObject* self, int32_t match, int32_t group, OptionalPosition position);
int32_t SubMatchCount(RegexObject* self);

namespace {

void Destroy(RegexObject* self) {
  rt::com::Clear(self->engine);
  rt::com::Clear(self->matches);
  rt::com::Clear(self->subject);
  rt::CallPlatformFunction<rt::kCoUninitialize>();
  rt::FreeObjectCell(self->engine);
  rt::FreeObjectCell(self->matches);
  rt::FreeVariantCell(self->subject);
  self->engine = self->matches = nullptr;
  self->subject = nullptr;
}

RegexObject* Allocate() {
  auto* self = static_cast<RegexObject*>(rt::RtAlloc(sizeof(RegexObject)));
  self->methods = &RegexClassMethods();
  self->engine = rt::NewObjectCell();
  self->matches = rt::NewObjectCell();
  self->subject = rt::NewVariantCell();
  // The result is not examined: a nested initialisation answers S_FALSE and
  // still needs its CoUninitialize.
  rt::CallPlatformFunction<rt::kCoInitialize>(nullptr);
  return self;
}

RegexObject* Copy(const RegexObject* source) {
  // A copy is destroyed like any instance, so it initialises COM like one.
  RegexObject* copy = Allocate();
  rt::com::Assign(copy->engine, source->engine);
  rt::com::Assign(copy->matches, source->matches);
  rt::com::CopyFrom(copy->subject, source->subject);
  return copy;
}

void Placeholder(RegexObject*) {}

const RegexMethods kMethods = {
    Destroy, Copy,       Search,    Placeholder,  GetPattern,
    Replace, MatchCount, MatchText, SubMatchText, SubMatchCount,
};

OptionalBool Flag(std::optional<bool> value) {
  return {value.value_or(false) ? 1 : 0, value ? 1 : 0};
}

}  // namespace

const RegexMethods& RegexClassMethods() {
  return kMethods;
}

RegexObject* NewRegexObject() {
  return Allocate();
}

void DeleteRegexObject(RegexObject* object) {
  if (!object) return;
  object->methods->destroy(object);
  rt::RtFree(object);
}

bool Regex::Search(rt::TextRef pattern, rt::TextRef subject, std::optional<bool> case_sensitive,
                   std::optional<bool> multiline, std::optional<bool> global,
                   std::optional<bool> expand_quote) {
  char* pattern_variable = const_cast<char*>(pattern.get());
  char* subject_variable = const_cast<char*>(subject.get());
  return object_->methods->search(object_, &pattern_variable, &subject_variable,
                                  Flag(case_sensitive), Flag(multiline), Flag(global),
                                  Flag(expand_quote)) != 0;
}

rt::Text Regex::GetPattern() {
  return rt::Text(object_->methods->get_pattern(object_));
}

rt::Text Regex::Replace(rt::TextRef replacement) {
  char* variable = const_cast<char*>(replacement.get());
  return rt::Text(object_->methods->replace(object_, &variable));
}

int32_t Regex::MatchCount() {
  return object_->methods->match_count(object_);
}

rt::Text Regex::MatchText(int32_t match, int32_t* position) {
  return rt::Text(object_->methods->match_text(object_, match, {position, position ? 1 : 0}));
}

rt::Text Regex::SubMatchText(int32_t match, int32_t group, int32_t* position) {
  return rt::Text(
      object_->methods->sub_match_text(object_, match, group, {position, position ? 1 : 0}));
}

int32_t Regex::SubMatchCount() {
  return object_->methods->sub_match_count(object_);
}

}  // namespace regex
