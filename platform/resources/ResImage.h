#pragma once
// ResImage: the index of a module's compiled resources, a standard .res image
// as the resource compiler writes it. The image is checked whole when the
// index is built: a damaged image has no entries, so every lookup in it is a
// missing resource. The index refers into the bytes; it does not own them.

#include "platform/ResId.h"
#include "platform/WinTypes.h"

#include <optional>
#include <span>
#include <vector>

namespace zx {

// Standard resource type ordinals.
inline constexpr WORD kRtCursor = 1;
inline constexpr WORD kRtBitmap = 2;
inline constexpr WORD kRtIcon = 3;
inline constexpr WORD kRtMenu = 4;
inline constexpr WORD kRtDialog = 5;
inline constexpr WORD kRtString = 6;
inline constexpr WORD kRtAccelerator = 9;
inline constexpr WORD kRtRcData = 10;
inline constexpr WORD kRtGroupCursor = 12;
inline constexpr WORD kRtGroupIcon = 14;
inline constexpr WORD kRtVersion = 16;
inline constexpr WORD kRtManifest = 24;
// MFC's own types.
inline constexpr WORD kRtDlgInit = 240;
inline constexpr WORD kRtToolBar = 241;

struct ResEntry {
    ResId type;
    ResId name;
    WORD language = 0;
    WORD memoryFlags = 0;
    DWORD dataVersion = 0;
    DWORD version = 0;
    DWORD characteristics = 0;
    std::span<const BYTE> data;
};

class ResImage {
public:
    ResImage() = default;
    explicit ResImage(std::span<const BYTE> image);

    // The image inside a module's resource blob: an 8-byte little-endian
    // size, then that many bytes. Nothing when the size overruns the blob.
    static std::optional<std::span<const BYTE>> imageInBlob(std::span<const BYTE> blob);

    bool isValid() const { return m_valid; }
    std::span<const BYTE> image() const { return m_image; }
    // Every resource in image order, without the leading empty entry.
    const std::vector<ResEntry>& entries() const { return m_entries; }

    // With a language, only that language matches. Without one, a
    // language-neutral entry is preferred, then US English, then the first.
    const ResEntry* findEntry(const ResId& type, const ResId& name,
                              std::optional<WORD> language = std::nullopt) const;
    std::optional<std::span<const BYTE>> find(const ResId& type, const ResId& name,
                                              std::optional<WORD> language = std::nullopt) const;

private:
    bool index();

    std::span<const BYTE> m_image;
    std::vector<ResEntry> m_entries;
    bool m_valid = false;
};

} // namespace zx
