#include "user32.h"

LPSTR CharNextA(LPCSTR current) {
  if (!current || *current == '\0') return const_cast<LPSTR>(current);
  auto lead = static_cast<unsigned char>(current[0]);
  // A lead byte whose trail is missing still moves one byte only, so the
  // terminator is never stepped over.
  bool two_bytes = lead >= 0x81 && lead <= 0xFE && current[1] != '\0';
  return const_cast<LPSTR>(current + (two_bytes ? 2 : 1));
}
