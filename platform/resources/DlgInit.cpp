#include "platform/DlgInit.h"

#include "platform/ResReader.h"

#include <algorithm>

namespace zx {

namespace {

// Resource compilers store the 16-bit messages of the old list and combo
// boxes; MFC also accepts the 32-bit ones and marks extended combo box items
// with its own 0x1234.
DlgInitItem::Action ActionOf(WORD message) {
    switch (message) {
    case 0x0401: // LB_ADDSTRING, 16-bit
    case 0x0180:
        return DlgInitItem::Action::AddListString;
    case 0x0403: // CB_ADDSTRING, 16-bit
    case 0x0143:
        return DlgInitItem::Action::AddComboString;
    case 0x1234:
        return DlgInitItem::Action::InsertComboExItem;
    default:
        return DlgInitItem::Action::Other;
    }
}

} // namespace

std::optional<std::vector<DlgInitItem>> ParseDlgInit(std::span<const BYTE> data) {
    ResReader r(data);
    std::vector<DlgInitItem> items;
    for (;;) {
        DlgInitItem item;
        item.controlId = r.word();
        if (!r.ok())
            return std::nullopt; // no end marker
        if (item.controlId == 0)
            return items;
        item.message = r.word();
        const DWORD length = r.dword();
        const std::span<const BYTE> bytes = r.bytes(length);
        if (!r.ok())
            return std::nullopt;
        item.action = ActionOf(item.message);
        if (item.action != DlgInitItem::Action::Other) {
            const auto end = std::find(bytes.begin(), bytes.end(), BYTE{0});
            if (end == bytes.end())
                return std::nullopt;
            item.text.assign(bytes.begin(), end);
        }
        items.push_back(std::move(item));
    }
}

} // namespace zx
