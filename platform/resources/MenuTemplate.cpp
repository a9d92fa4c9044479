#include "platform/MenuTemplate.h"

#include "platform/ResReader.h"

namespace zx {

namespace {

constexpr WORD kMfGrayed = 0x0001;
constexpr WORD kMfDisabled = 0x0002;
constexpr WORD kMfChecked = 0x0008;
constexpr WORD kMfPopup = 0x0010;
constexpr WORD kMfEnd = 0x0080;
constexpr UINT kMftSeparator = 0x0800;
constexpr WORD kMfrPopup = 0x01;
constexpr WORD kMfrEnd = 0x80;

// One level of the standard form: items up to and including the one marked
// MF_END. Depth is counted so that a hostile template cannot nest without end.
bool readStandardLevel(ResReader& r, int depth, std::vector<MenuItem>& out) {
    if (depth > MenuTemplate::kMaxDepth)
        return false;
    for (;;) {
        MenuItem item;
        const WORD options = r.word();
        item.popup = (options & kMfPopup) != 0;
        item.flags = options & ~kMfEnd;
        item.state = options & (kMfGrayed | kMfDisabled | kMfChecked);
        item.type = options & ~(kMfEnd | kMfPopup | kMfGrayed | kMfDisabled | kMfChecked);
        if (!item.popup)
            item.id = r.word();
        item.text = r.sz();
        if (!r.ok())
            return false;
        // The resource compiler writes MENUITEM SEPARATOR as an empty item.
        item.separator = (options & kMftSeparator) != 0 ||
                         (!item.popup && item.id == 0 && item.text.empty() && item.flags == 0);
        if (item.popup && !readStandardLevel(r, depth + 1, item.children))
            return false;
        out.push_back(std::move(item));
        if (options & kMfEnd)
            return true;
    }
}

bool readExtendedLevel(ResReader& r, int depth, std::vector<MenuItem>& out) {
    if (depth > MenuTemplate::kMaxDepth)
        return false;
    for (;;) {
        MenuItem item;
        r.align(4);
        item.type = r.dword();
        item.state = r.dword();
        item.id = r.dword();
        const WORD resInfo = r.word();
        item.flags = resInfo;
        item.text = r.sz();
        item.popup = (resInfo & kMfrPopup) != 0;
        item.separator = (item.type & kMftSeparator) != 0;
        if (item.popup) {
            r.align(4);
            item.helpId = r.dword();
        }
        if (!r.ok())
            return false;
        if (item.popup && !readExtendedLevel(r, depth + 1, item.children))
            return false;
        out.push_back(std::move(item));
        if (resInfo & kMfrEnd)
            return true;
    }
}

} // namespace

std::optional<MenuTemplate> ParseMenuTemplate(std::span<const BYTE> data) {
    ResReader r(data);
    MenuTemplate menu;
    const WORD version = r.word();
    const WORD offset = r.word();
    if (!r.ok() || version > 1)
        return std::nullopt;
    menu.extended = version == 1;
    if (menu.extended) {
        // The offset counts from its own end to the first item; the help id
        // sits in between.
        if (offset < 4)
            return std::nullopt;
        menu.helpId = r.dword();
        r.skip(offset - 4u);
        if (!r.ok())
            return std::nullopt;
        // An empty menu is its header alone.
        if (!r.atEnd() && !readExtendedLevel(r, 1, menu.items))
            return std::nullopt;
    } else {
        r.skip(offset);
        if (!r.ok())
            return std::nullopt;
        if (!r.atEnd() && !readStandardLevel(r, 1, menu.items))
            return std::nullopt;
    }
    return menu;
}

} // namespace zx
