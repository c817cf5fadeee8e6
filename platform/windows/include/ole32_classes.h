// Creating automation objects by name: ProgIDs and CLSIDs come from the
// system's registry, CoCreateInstance and OleRun are the system's own.
#pragma once

#include "oleaut32_interfaces.h"

#include <ole2.h>
