// Composition of base characters with following combining marks, as the
// platform's WC_COMPOSITECHECK asks before converting to a code page.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces each character followed by a combining mark with the precomposed
// character where one exists ("e" + U+0301 becomes U+00E9); marks without one
// stay as they are. Unlike full NFC it leaves everything else alone
// (compatibility ideographs keep their own code). Returns false without
// touching `composed` when `text` holds no mark to try, the usual case.
bool ComposeMarks(std::u16string_view text, std::u16string& composed);

// Copies `text` into `copy` (room for text.size() units) and tells whether
// ComposeMarks could change it, in one pass over the text: converters that keep
// a copy of their input anyway get the check nearly for free.
bool CopyAndCheckForMarks(std::u16string_view text, char16_t* copy);

}  // namespace platform
