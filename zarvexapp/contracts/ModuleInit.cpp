// The library's own module is where its dialog templates, strings and
// bitmaps are found by default (AfxGetResourceHandle), as for an MFC
// extension library: made known to the platform layer as soon as the library
// is loaded.
#include "platform/Modules.h"
#include "platform/Resources.h"

namespace {

// While the library is loaded; a handle of an unloaded library would only
// fail every lookup.
struct DefaultModule {
    HMODULE module;
    DefaultModule() : module(zx::ModuleFromAddress(this)) { zx::SetDefaultResourceModule(module); }
    ~DefaultModule() { zx::SetDefaultResourceModule(nullptr); }
} g_defaultModule;

} // namespace
