#include "winhttp.h"

// Every system this layer runs on can carry HTTP.
BOOL WinHttpCheckPlatform() {
  return TRUE;
}
