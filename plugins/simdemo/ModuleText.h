#pragma once
// A string resource of this plug-in (not of the library or the host): a
// plug-in is handed no instance handle, so it names its own module.

#include "platform/Resources.h"
#include "platform/String.h"
#include "zarvexapp/application/ThisModule.h"

static inline CString ModuleText(UINT id) {
    wchar_t text[256];
    return LoadStringW(ZxThisModule(), id, text, 256) > 0 ? CString(text) : CString();
}
