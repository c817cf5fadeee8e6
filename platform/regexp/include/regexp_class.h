// The "VBScript.RegExp" automation class: IgnoreCase, Global, Multiline,
// Pattern, Execute, Replace and Test, with its match collection, match and
// submatch collection objects.
#pragma once

#include "oleaut32_interfaces.h"

namespace platform {

inline constexpr CLSID CLSID_RegExp = {
    0x3F4DACA4, 0x160D, 0x11D2, {0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F}};

// Member ids of the class and its result objects.
namespace regexp_id {
inline constexpr DISPID Pattern = 10001;
inline constexpr DISPID IgnoreCase = 10002;
inline constexpr DISPID Global = 10003;
inline constexpr DISPID Execute = 10004;
inline constexpr DISPID Test = 10005;
inline constexpr DISPID Replace = 10006;
inline constexpr DISPID Multiline = 10007;
inline constexpr DISPID Count = 1;
inline constexpr DISPID Item = DISPID_VALUE;
inline constexpr DISPID Value = DISPID_VALUE;
inline constexpr DISPID FirstIndex = 10001;
inline constexpr DISPID Length = 10002;
inline constexpr DISPID SubMatches = 10003;
}  // namespace regexp_id

// A new object with the defaults: empty pattern, every option false.
HRESULT CreateRegExpObject(REFIID iid, void** object);

}  // namespace platform
