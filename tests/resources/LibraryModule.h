#pragma once
// The library's own module and its resources, for the resource tests.

#include "platform/DialogTemplate.h"
#include "platform/Modules.h"
#include "platform/ResImage.h"
#include "platform/Resources.h"
#include "zarvexapp/contracts/Globals.h"

#include <optional>
#include <span>

namespace zxtest {

// libzarvexapp.so itself, found from one of its exported globals.
inline HMODULE libraryModule() {
    return zx::ModuleFromAddress(&g_pAPI);
}

// The bytes of a resource of the library, empty when it is missing.
inline std::span<const BYTE> libraryResource(LPCWSTR name, LPCWSTR type) {
    return zx::ResourceBytes(libraryModule(), name, type);
}

inline std::span<const BYTE> libraryResource(WORD id, LPCWSTR type) {
    return libraryResource(MAKEINTRESOURCEW(id), type);
}

inline std::optional<zx::DialogTemplate> libraryDialog(WORD id) {
    const auto bytes = libraryResource(id, RT_DIALOG);
    return bytes.empty() ? std::nullopt : zx::ParseDialogTemplate(bytes);
}

} // namespace zxtest
