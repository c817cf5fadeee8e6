#include "ole32_state.h"

#include "ole32.h"

namespace platform {

int CoInitializeDepthForThisThread() {
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  // Answers CO_E_NOTINITIALIZED on a thread that has not initialised COM.
  return SUCCEEDED(CoGetApartmentType(&type, &qualifier)) ? 1 : 0;
}

}  // namespace platform
