#include "platform/DialogTemplate.h"

#include "platform/ResId.h"
#include "platform/ResReader.h"

#include <array>

namespace zx {

namespace {

constexpr WORD kFirstPredefined = 0x80;
constexpr std::array<const wchar_t*, 6> kPredefinedNames{L"BUTTON",  L"EDIT",      L"STATIC",
                                                         L"LISTBOX", L"SCROLLBAR", L"COMBOBOX"};

SHORT readShort(ResReader& r) {
    return static_cast<SHORT>(r.word());
}

bool readItem(ResReader& r, bool extended, DialogItem& item) {
    r.align(4);
    if (extended) {
        item.helpId = r.dword();
        item.exStyle = r.dword();
        item.style = r.dword();
    } else {
        item.style = r.dword();
        item.exStyle = r.dword();
    }
    item.x = readShort(r);
    item.y = readShort(r);
    item.cx = readShort(r);
    item.cy = readShort(r);
    item.id = extended ? r.dword() : r.word();
    item.windowClass = r.szOrOrd();
    item.title = r.szOrOrd();
    const WORD extra = r.word();
    auto data = r.bytes(extra);
    item.creationData.assign(data.begin(), data.end());
    return r.ok();
}

} // namespace

DialogItemClass DialogItem::kind() const {
    if (windowClass.isOrdinal()) {
        const WORD index = static_cast<WORD>(windowClass.ordinal - kFirstPredefined);
        return index < kPredefinedNames.size() ? static_cast<DialogItemClass>(index)
                                               : DialogItemClass::Other;
    }
    const std::wstring name = ResId::upper(windowClass.text);
    for (size_t i = 0; i < kPredefinedNames.size(); ++i) {
        if (name == kPredefinedNames[i])
            return static_cast<DialogItemClass>(i);
    }
    return DialogItemClass::Other;
}

std::wstring DialogItem::className() const {
    if (windowClass.isOrdinal()) {
        const WORD index = static_cast<WORD>(windowClass.ordinal - kFirstPredefined);
        return index < kPredefinedNames.size() ? kPredefinedNames[index]
                                               : L"#" + std::to_wstring(windowClass.ordinal);
    }
    return ResId::upper(windowClass.text);
}

bool DialogItem::isClass(std::wstring_view name) const {
    return className() == ResId::upper(name);
}

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const BYTE> data) {
    ResReader r(data);
    DialogTemplate dlg;
    const WORD version = r.word();
    const WORD signature = r.word();
    dlg.extended = signature == 0xFFFF;
    if (dlg.extended) {
        if (version != 1)
            return std::nullopt;
        dlg.helpId = r.dword();
        dlg.exStyle = r.dword();
        dlg.style = r.dword();
    } else {
        r = ResReader(data);
        dlg.style = r.dword();
        dlg.exStyle = r.dword();
    }
    const WORD count = r.word();
    dlg.x = readShort(r);
    dlg.y = readShort(r);
    dlg.cx = readShort(r);
    dlg.cy = readShort(r);
    dlg.menu = r.szOrOrd();
    dlg.windowClass = r.szOrOrd();
    dlg.title = r.sz();
    if (dlg.style & DialogTemplate::kSetFont) {
        DialogFont font;
        font.pointSize = r.word();
        if (dlg.extended) {
            font.weight = r.word();
            font.italic = r.byte() != 0;
            font.charset = r.byte();
        }
        font.typeface = r.sz();
        dlg.font = std::move(font);
    }
    if (!r.ok())
        return std::nullopt;

    // The count comes from the data: items are added as they are read, so a
    // count larger than the data fails at the end of the data.
    for (WORD i = 0; i < count; ++i) {
        DialogItem item;
        if (!readItem(r, dlg.extended, item))
            return std::nullopt;
        dlg.items.push_back(std::move(item));
    }
    return dlg;
}

} // namespace zx
