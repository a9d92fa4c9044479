#pragma once
// What the library calls of the helper library. The concepts fail the build
// when the helper library drifts from the calls the library makes, instead of
// failing at a plug-in author's link or, worse, at run time.

#include "cmnctrls/Registry.h"
#include "cmnctrls/VersionInfo.h"
#include "platform/String.h"

#include <concepts>

namespace zx::contract {

// One settings object per persistent object: a key, three open modes, a close,
// and a value exchange whose direction is set by the open mode. The trailing
// integer is passed as -1 at every call site.
template <class R>
concept SettingsStore = requires(R r, int& i, unsigned int& u) {
    r.SetKey(L"Software\\Zarvex");
    { r.OpenReadKey() } -> std::convertible_to<bool>;
    { r.OpenUpdateKey() } -> std::convertible_to<bool>;
    { r.OpenWriteNewKey() } -> std::convertible_to<bool>;
    r.CloseKey();
    r.RegistryAccess(L"m_iValue", i, -1);
    r.RegistryAccess(L"m_uValue", u, -1);
};

// Version strings of a module file, read from its path alone.
template <class V>
concept VersionStrings = std::default_initializable<V> && requires(V v) {
    v.GetFileVersionInfoW(L"/path/to/module");
    { v.GetValue(L"FileDescription") } -> std::convertible_to<CString>;
};

static_assert(SettingsStore<CRegistry>);
static_assert(VersionStrings<CVersionInfo>);

} // namespace zx::contract
