// The automation interfaces (IUnknown, IDispatch, ITypeInfo, ITypeComp, ...)
// and their type descriptions, as the system declares them.
#pragma once

#include <oaidl.h>
#include "oleaut32_types.h"
