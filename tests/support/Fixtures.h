#pragma once
// The plug-ins built only for tests, in their scenario folders under the path
// the build gives (never the executable's folder, which the host searches).

#include "platform/WideText.h"

#include <string>

namespace zxtest {

inline std::string FixtureFile(const char* scenario, const char* file) {
    return std::string(ZX_FIXTURE_DIR) + "/" + scenario + "/" + file;
}

inline std::wstring FixtureFileW(const char* scenario, const char* file) {
    return zx::Utf8ToWide(FixtureFile(scenario, file));
}

} // namespace zxtest
