// The "Adodb.Stream" automation class, as far as a charset decoder needs it:
// a memory stream that takes bytes (Type 1) and reads them back as text in a
// charset (Type 2), over ICU converters.
#pragma once

#include "oleaut32_interfaces.h"

namespace platform {

inline constexpr CLSID CLSID_Stream = {
    0x00000566, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

namespace stream_id {
inline constexpr DISPID Type = 1;
inline constexpr DISPID Mode = 2;
inline constexpr DISPID Position = 3;
inline constexpr DISPID Charset = 4;
inline constexpr DISPID Open = 10;
inline constexpr DISPID Write = 11;
inline constexpr DISPID ReadText = 12;
inline constexpr DISPID Close = 13;
}  // namespace stream_id

inline constexpr LONG kStreamTypeBinary = 1;
inline constexpr LONG kStreamTypeText = 2;
inline constexpr LONG kReadAll = -1;

HRESULT CreateStreamObject(REFIID iid, void** object);

}  // namespace platform
