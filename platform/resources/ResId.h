#pragma once
// ResId: a resource type or name as the .res image and the Windows-style API
// know it: a 16-bit ordinal or a name. Names are kept upper-cased, as the
// resource compiler stores them and as FindResourceW compares them.

#include "platform/WinTypes.h"

#include <optional>
#include <string>
#include <string_view>

namespace zx {

class ResId {
public:
    ResId() = default;
    explicit ResId(WORD ordinal) : m_ordinal(ordinal) {}

    // A name; "#123" means ordinal 123. Empty names and "#" not followed by
    // a decimal number up to 65535 are rejected.
    static std::optional<ResId> fromString(std::wstring_view text);
    // A name taken as it is, even one that starts with '#'.
    static ResId named(std::wstring_view name);
    // A Windows-style id: MAKEINTRESOURCEW(n) or a zero-terminated name
    // (a null pointer is no id).
    static std::optional<ResId> fromWinId(LPCWSTR id);

    bool isOrdinal() const { return m_name.empty(); }
    WORD ordinal() const { return m_ordinal; }
    const std::wstring& name() const { return m_name; }
    // "#5" for ordinals, the upper-cased name otherwise.
    std::wstring toString() const;

    bool operator==(const ResId&) const = default;

    static std::wstring upper(std::wstring_view text);

private:
    WORD m_ordinal = 0;
    std::wstring m_name;
};

} // namespace zx
