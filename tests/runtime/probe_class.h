// Automation test classes registered under "Test.*" ProgIDs: a probe whose
// members record what reaches them and can make Invoke fail with any status,
// and objects lacking IDispatch, type information or usable bindings.
#pragma once

#include <vector>

#include "oleaut32.h"

namespace probe {

inline constexpr CLSID kProbeClass = {0x51E0B001, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
inline constexpr CLSID kPlainClass = {0x51E0B001, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
inline constexpr CLSID kUntypedClass = {0x51E0B001, 0, 0, {0, 0, 0, 0, 0, 0, 0, 3}};
inline constexpr CLSID kNestedClass = {0x51E0B001, 0, 0, {0, 0, 0, 0, 0, 0, 0, 4}};
inline constexpr CLSID kStubbornClass = {0x51E0B001, 0, 0, {0, 0, 0, 0, 0, 0, 0, 5}};

// Registers the classes once per process: "Test.Probe", "Test.Plain" (no
// IDispatch), "Test.Untyped" (no type information), "Test.Nested" (binds
// "Inner" to a nested type), "Test.Stubborn" (never reaches the running state).
void RegisterClasses();

// What the probe's "Record" member last received, argument by argument
// (copies), and how many arguments arrived.
struct Received {
  std::vector<VARIANT> args;
  ~Received();
  void Clear();
};
Received& LastReceived();

// Objects of the probe class still alive (to check that references are released).
int LiveProbes();
// References the nested class's type binding holds beyond its own.
int NestedBindingReferences();
// The next creation of a "Test.Probe" object answers E_INVALIDARG.
void RefuseRemoteContextOnce();

}  // namespace probe
