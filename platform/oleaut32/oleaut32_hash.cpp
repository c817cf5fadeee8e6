// The member-name hash handed to type binding. Binding compares names
// themselves, so the hash only has to agree for names that differ in case.
#include "oleaut32.h"

ULONG LHashValOfNameSys(SYSKIND, LCID, LPCOLESTR name) {
  if (!name) return 0;
  uint32_t hash = 2166136261u;
  for (; *name; ++name) {
    char16_t c = *name >= u'A' && *name <= u'Z' ? *name + 32 : *name;
    hash = (hash ^ c) * 16777619u;
  }
  // The platform's hashes use 16 bits; the rest of the word stays clear.
  return (hash ^ (hash >> 16)) & 0xFFFFu;
}
