#pragma once
// ComboList: the item list of a combo box or a list box with the Windows
// rules (LB_ERR and CB_ERR are both -1), kept apart from the widget that
// shows it.
//
// - A sorted list (CBS_SORT) places Add()ed items in order, comparing
//   without regard to case, after any equal items; Insert() places items
//   where asked, sorted or not.
// - Find() matches a prefix, FindExact() the whole text, both without regard
//   to case; the search starts with the item after `start` and wraps around
//   to `start` itself; -1 (or any start outside the list) searches from the
//   first item. No match is CB_ERR (-1).
// - The selection follows its item when items are inserted or deleted before
//   it, and is cleared when its item is deleted. Item data travels with its
//   item.

#include "platform/ControlMessages.h"
#include "platform/WinTypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace zx {

class ComboList {
public:
    explicit ComboList(bool sorted = false) : m_sorted(sorted) {}

    bool sorted() const { return m_sorted; }
    void setSorted(bool sorted) { m_sorted = sorted; }

    int count() const { return static_cast<int>(m_items.size()); }
    // The index of the new item.
    int add(std::wstring text);
    // index -1 appends; an index beyond the end is CB_ERR.
    int insert(int index, std::wstring text);
    // The number of items left, or CB_ERR.
    int remove(int index);
    void clear();

    const std::wstring* text(int index) const;
    // CB_ERR for a bad index (as Windows returns it).
    DWORD_PTR data(int index) const;
    bool setData(int index, DWORD_PTR data);

    int selection() const { return m_selection; }
    // -1 clears; returns false (and clears) for an index outside the list.
    bool select(int index);

    int find(int start, std::wstring_view text) const;
    int findExact(int start, std::wstring_view text) const;

    // Case-insensitive comparison as the sorted order uses it.
    static int compareNoCase(std::wstring_view a, std::wstring_view b);

private:
    struct Item {
        std::wstring text;
        DWORD_PTR data = 0;
    };
    int search(int start, std::wstring_view text, bool exact) const;

    bool m_sorted;
    std::vector<Item> m_items;
    int m_selection = -1;
};

} // namespace zx
