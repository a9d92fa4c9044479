#include "platform/ResId.h"

#include <QChar>

namespace zx {

std::wstring ResId::upper(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        const auto u = static_cast<char32_t>(c);
        out.push_back(u <= 0x10FFFF ? static_cast<wchar_t>(QChar::toUpper(u)) : c);
    }
    return out;
}

std::optional<ResId> ResId::fromString(std::wstring_view text) {
    if (text.empty())
        return std::nullopt;
    if (text.front() == L'#') {
        const auto digits = text.substr(1);
        if (digits.empty() || digits.size() > 5)
            return std::nullopt;
        DWORD value = 0;
        for (wchar_t c : digits) {
            if (c < L'0' || c > L'9')
                return std::nullopt;
            value = value * 10 + static_cast<DWORD>(c - L'0');
        }
        if (value > 0xFFFF)
            return std::nullopt;
        return ResId(static_cast<WORD>(value));
    }
    return named(text);
}

ResId ResId::named(std::wstring_view name) {
    ResId id;
    id.m_name = upper(name);
    return id;
}

std::optional<ResId> ResId::fromWinId(LPCWSTR id) {
    if (id == nullptr)
        return std::nullopt;
    if (IS_INTRESOURCE(id))
        return ResId(LOWORD(reinterpret_cast<std::uintptr_t>(id)));
    return fromString(std::wstring_view(id));
}

std::wstring ResId::toString() const {
    return isOrdinal() ? L"#" + std::to_wstring(m_ordinal) : m_name;
}

} // namespace zx
