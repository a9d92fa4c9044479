#include "platform/ComboList.h"

#include <algorithm>
#include <cwctype>

namespace zx {

namespace {

wchar_t fold(wchar_t c) {
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

} // namespace

int ComboList::compareNoCase(std::wstring_view a, std::wstring_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const wchar_t x = fold(a[i]);
        const wchar_t y = fold(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int ComboList::add(std::wstring text) {
    if (!m_sorted)
        return insert(-1, std::move(text));
    const auto at = std::upper_bound(m_items.begin(), m_items.end(), text,
                                     [](const std::wstring& value, const Item& item) {
                                         return compareNoCase(value, item.text) < 0;
                                     });
    return insert(static_cast<int>(at - m_items.begin()), std::move(text));
}

int ComboList::insert(int index, std::wstring text) {
    if (index < -1 || index > count())
        return CB_ERR;
    if (index == -1)
        index = count();
    m_items.insert(m_items.begin() + index, Item{std::move(text), 0});
    if (m_selection >= index)
        ++m_selection;
    return index;
}

int ComboList::remove(int index) {
    if (index < 0 || index >= count())
        return CB_ERR;
    m_items.erase(m_items.begin() + index);
    if (m_selection == index)
        m_selection = -1;
    else if (m_selection > index)
        --m_selection;
    return count();
}

void ComboList::clear() {
    m_items.clear();
    m_selection = -1;
}

const std::wstring* ComboList::text(int index) const {
    if (index < 0 || index >= count())
        return nullptr;
    return &m_items[static_cast<size_t>(index)].text;
}

DWORD_PTR ComboList::data(int index) const {
    if (index < 0 || index >= count())
        return static_cast<DWORD_PTR>(CB_ERR);
    return m_items[static_cast<size_t>(index)].data;
}

bool ComboList::setData(int index, DWORD_PTR data) {
    if (index < 0 || index >= count())
        return false;
    m_items[static_cast<size_t>(index)].data = data;
    return true;
}

bool ComboList::select(int index) {
    if (index < 0 || index >= count()) {
        m_selection = -1;
        return index == -1;
    }
    m_selection = index;
    return true;
}

int ComboList::find(int start, std::wstring_view text) const {
    return search(start, text, false);
}

int ComboList::findExact(int start, std::wstring_view text) const {
    return search(start, text, true);
}

int ComboList::search(int start, std::wstring_view text, bool exact) const {
    const int n = count();
    if (n == 0)
        return CB_ERR;
    if (start < 0 || start >= n)
        start = -1;
    for (int k = 1; k <= n; ++k) {
        const int i = (start + k) % n;
        const std::wstring& item = m_items[static_cast<size_t>(i)].text;
        const bool hit =
            exact ? compareNoCase(item, text) == 0
                  : item.size() >= text.size() &&
                        compareNoCase(std::wstring_view(item).substr(0, text.size()), text) == 0;
        if (hit)
            return i;
    }
    return CB_ERR;
}

} // namespace zx
