#include "platform/VersionBlock.h"

#include "platform/ResReader.h"
#include "platform/WideText.h"


namespace zx {

namespace {

constexpr size_t kHeaderBytes = 6; // wLength, wValueLength, wType
constexpr size_t kFixedBytes = 13 * 4;

// One node of the version tree: its key, its value bytes and where its
// children lie, all within the node's own wLength.
struct Node {
    std::wstring key;
    WORD valueLength = 0;
    WORD type = 0;
    std::span<const BYTE> value; // from the value to the node's end
    size_t childrenBegin = 0;
    size_t end = 0;
};

// Reads the node at pos, which must fit before limit. Offsets count from the
// start of the resource, which is where DWORD alignment is measured.
std::optional<Node> readNode(std::span<const BYTE> data, size_t pos, size_t limit) {
    ResReader r(data.first(limit), pos);
    const WORD length = r.word();
    Node node;
    node.valueLength = r.word();
    node.type = r.word();
    if (!r.ok() || length < kHeaderBytes || length > limit - pos)
        return std::nullopt;
    node.end = pos + length;
    ResReader in(data.first(node.end), pos + kHeaderBytes);
    node.key = in.sz();
    in.align(4);
    if (!in.ok())
        return std::nullopt;
    node.value = data.subspan(in.pos(), node.end - in.pos());
    // Binary values count bytes, texts count characters.
    const size_t valueBytes = node.type == 0 ? node.valueLength : size_t{node.valueLength} * 2;
    if (valueBytes > node.value.size()) {
        if (node.type == 0)
            return std::nullopt;
        // Some compilers count text values in bytes; the text ends at its
        // terminator or the node's end anyway.
        node.childrenBegin = node.end;
        return node;
    }
    in.skip(valueBytes);
    in.align(4);
    node.childrenBegin = in.pos();
    return node;
}

// Calls visit(node) for each child of parent; false when one is damaged.
template <typename Visit>
bool forEachChild(std::span<const BYTE> data, const Node& parent, Visit visit) {
    size_t pos = parent.childrenBegin;
    while (pos < parent.end) {
        auto child = readNode(data, pos, parent.end);
        if (!child || !visit(*child))
            return false;
        pos = child->end;
        pos += (4 - pos % 4) % 4;
    }
    return true;
}

std::wstring textValue(const Node& node) {
    if (node.valueLength == 0)
        return {};
    size_t units = 0;
    while (2 * units + 1 < node.value.size() &&
           (node.value[2 * units] != 0 || node.value[2 * units + 1] != 0))
        ++units;
    return ResReader::wide(node.value.data(), units);
}

std::wstring versionText(DWORD ms, DWORD ls) {
    return std::to_wstring(HIWORD(ms)) + L'.' + std::to_wstring(LOWORD(ms)) + L'.' +
           std::to_wstring(HIWORD(ls)) + L'.' + std::to_wstring(LOWORD(ls));
}

} // namespace

std::optional<VersionBlock> ParseVersionBlock(std::span<const BYTE> data) {
    auto root = readNode(data, 0, data.size());
    if (!root || root->key != L"VS_VERSION_INFO")
        return std::nullopt;

    VersionBlock block;
    if (root->valueLength != 0) {
        if (root->valueLength < kFixedBytes)
            return std::nullopt;
        ResReader r(root->value);
        FixedFileInfo f;
        for (DWORD* field :
             {&f.signature, &f.strucVersion, &f.fileVersionMS, &f.fileVersionLS,
              &f.productVersionMS, &f.productVersionLS, &f.fileFlagsMask, &f.fileFlags, &f.fileOS,
              &f.fileType, &f.fileSubtype, &f.fileDateMS, &f.fileDateLS})
            *field = r.dword();
        if (!r.ok() || f.signature != FixedFileInfo::kSignature)
            return std::nullopt;
        block.fixed = f;
    }

    const bool ok = forEachChild(data, *root, [&](const Node& info) {
        if (info.key != L"StringFileInfo")
            return true; // VarFileInfo and anything newer: not needed
        return forEachChild(data, info, [&](const Node& table) {
            VersionBlock::StringTable out;
            out.key = table.key;
            const bool tableOk = forEachChild(data, table, [&](const Node& str) {
                out.strings.emplace_back(str.key, textValue(str));
                return true;
            });
            block.tables.push_back(std::move(out));
            return tableOk;
        });
    });
    if (!ok)
        return std::nullopt;
    return block;
}

std::optional<std::wstring> VersionBlock::value(std::wstring_view key) const {
    if (tables.empty())
        return std::nullopt;
    return value(key, tables.front().key);
}

std::optional<std::wstring> VersionBlock::value(std::wstring_view key,
                                                std::wstring_view tableKey) const {
    for (const StringTable& table : tables) {
        if (!EqualsNoCase(table.key, tableKey))
            continue;
        for (const auto& [k, v] : table.strings) {
            if (k == key)
                return v;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::wstring VersionBlock::fileVersionText() const {
    return fixed ? versionText(fixed->fileVersionMS, fixed->fileVersionLS) : std::wstring();
}

std::wstring VersionBlock::productVersionText() const {
    return fixed ? versionText(fixed->productVersionMS, fixed->productVersionLS) : std::wstring();
}

} // namespace zx
