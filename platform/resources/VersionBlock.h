#pragma once
// VersionBlock: the contents of a VS_VERSIONINFO resource: the fixed file
// information and the texts of its StringFileInfo tables. VarFileInfo is
// skipped. Parsing is strict: any block that does not fit its parent, a wrong
// key or signature makes the whole resource unreadable.

#include "platform/WinTypes.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zx {

// VS_FIXEDFILEINFO.
struct FixedFileInfo {
    static constexpr DWORD kSignature = 0xFEEF04BD;
    DWORD signature = 0;
    DWORD strucVersion = 0;
    DWORD fileVersionMS = 0;
    DWORD fileVersionLS = 0;
    DWORD productVersionMS = 0;
    DWORD productVersionLS = 0;
    DWORD fileFlagsMask = 0;
    DWORD fileFlags = 0;
    DWORD fileOS = 0;
    DWORD fileType = 0;
    DWORD fileSubtype = 0;
    DWORD fileDateMS = 0;
    DWORD fileDateLS = 0;
};

class VersionBlock {
public:
    struct StringTable {
        std::wstring key; // language and code page as 8 hex digits, "040904b0"
        std::vector<std::pair<std::wstring, std::wstring>> strings;
    };

    std::optional<FixedFileInfo> fixed;
    std::vector<StringTable> tables;

    // The value of a key (compared exactly) in the first string table, or in
    // the table of that language and code page (hex digits of any case).
    std::optional<std::wstring> value(std::wstring_view key) const;
    std::optional<std::wstring> value(std::wstring_view key, std::wstring_view tableKey) const;

    // "major.minor.build.revision" of the fixed information; empty without it.
    std::wstring fileVersionText() const;
    std::wstring productVersionText() const;
};

std::optional<VersionBlock> ParseVersionBlock(std::span<const BYTE> data);

} // namespace zx
