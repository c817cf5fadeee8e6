// The automation interfaces (IUnknown, IDispatch, ITypeInfo, ITypeComp, ...)
// and their type descriptions, as the system declares them.
#pragma once

#include "oleaut32_types.h"

#include <oaidl.h>
