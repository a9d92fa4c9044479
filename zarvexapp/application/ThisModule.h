#pragma once
// The module handle of the code that includes this header. A plug-in is
// handed no instance handle, so its pages find their templates and strings
// through the module this very code was linked into: the address of an
// object private to the including module is resolved by the loader.
//
// Everything here has internal linkage on purpose. An inline function with
// external linkage would be one symbol shared by every module that uses it,
// and the dynamic linker would bind all of them to the first copy loaded
// (normally the library's), so every plug-in would get the library's handle.

#include "platform/Modules.h"

namespace {
// One byte per including module; only its address is used.
[[maybe_unused]] const char zxThisModuleAnchor = 0;
} // namespace

[[maybe_unused]] static HMODULE ZxThisModule() {
    return zx::ModuleFromAddress(&zxThisModuleAnchor);
}
