#pragma once
// SzOrOrd: a field that is either absent, a 16-bit ordinal or a string, as
// resource headers and dialog templates store names, classes and menus.

#include "platform/WinTypes.h"

#include <string>

namespace zx {

struct SzOrOrd {
    enum class Kind { None, Ordinal, String };
    Kind kind = Kind::None;
    WORD ordinal = 0;
    std::wstring text;

    bool isNone() const { return kind == Kind::None; }
    bool isOrdinal() const { return kind == Kind::Ordinal; }
    bool isString() const { return kind == Kind::String; }
    bool operator==(const SzOrOrd&) const = default;
};

} // namespace zx
