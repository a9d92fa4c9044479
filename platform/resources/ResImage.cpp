#include "platform/ResImage.h"

#include "platform/ResReader.h"

namespace zx {

namespace {

// DataSize and HeaderSize, two ordinals, DataVersion, MemoryFlags,
// LanguageId, Version and Characteristics.
constexpr size_t kFixedTail = 16;
constexpr size_t kMinHeader = 8 + 4 + 4 + kFixedTail;
constexpr WORD kLangNeutral = 0;
constexpr WORD kLangEnglishUs = 0x0409;

std::optional<ResId> readId(ResReader& r) {
    const SzOrOrd field = r.szOrOrd();
    if (!r.ok() || field.isNone())
        return std::nullopt; // cut short, or an empty name
    if (field.isOrdinal())
        return ResId(field.ordinal);
    return ResId::named(field.text);
}

} // namespace

ResImage::ResImage(std::span<const BYTE> image) : m_image(image) {
    m_valid = index();
    if (!m_valid)
        m_entries.clear();
}

std::optional<std::span<const BYTE>> ResImage::imageInBlob(std::span<const BYTE> blob) {
    if (blob.size() < 8)
        return std::nullopt;
    std::uint64_t size = 0;
    for (int i = 7; i >= 0; --i)
        size = (size << 8) | blob[static_cast<size_t>(i)];
    if (size > blob.size() - 8)
        return std::nullopt;
    return blob.subspan(8, static_cast<size_t>(size));
}

bool ResImage::index() {
    size_t pos = 0;
    bool first = true;
    while (pos < m_image.size()) {
        ResReader r(m_image, pos);
        const DWORD dataSize = r.dword();
        const DWORD headerSize = r.dword();
        if (!r.ok() || headerSize < kMinHeader || headerSize % 4 != 0 ||
            headerSize > m_image.size() - pos)
            return false;
        // The names and fixed fields must lie inside the header.
        ResReader h(m_image.first(pos + headerSize), pos + 8);
        const auto type = readId(h);
        const auto name = type ? readId(h) : std::nullopt;
        if (!name)
            return false;
        h.align(4);
        ResEntry entry;
        entry.type = *type;
        entry.name = *name;
        entry.dataVersion = h.dword();
        entry.memoryFlags = h.word();
        entry.language = h.word();
        entry.version = h.dword();
        entry.characteristics = h.dword();
        if (!h.ok())
            return false;
        const size_t dataStart = pos + headerSize;
        if (dataSize > m_image.size() - dataStart)
            return false;
        entry.data = m_image.subspan(dataStart, dataSize);
        if (first) {
            // Every image starts with the empty entry that marks it as a
            // 32-bit resource file.
            if (dataSize != 0 || !entry.type.isOrdinal() || entry.type.ordinal() != 0 ||
                !entry.name.isOrdinal() || entry.name.ordinal() != 0)
                return false;
            first = false;
        } else {
            m_entries.push_back(std::move(entry));
        }
        // The next entry starts on a DWORD boundary; the last may lack its
        // padding.
        pos = dataStart + dataSize;
        pos += (4 - pos % 4) % 4;
    }
    return !first;
}

const ResEntry* ResImage::findEntry(const ResId& type, const ResId& name,
                                    std::optional<WORD> language) const {
    const ResEntry* english = nullptr;
    const ResEntry* any = nullptr;
    for (const ResEntry& e : m_entries) {
        if (!(e.type == type) || !(e.name == name))
            continue;
        if (language) {
            if (e.language == *language)
                return &e;
            continue;
        }
        if ((e.language & 0x3FF) == kLangNeutral)
            return &e;
        if (!english && e.language == kLangEnglishUs)
            english = &e;
        if (!any)
            any = &e;
    }
    return english ? english : any;
}

std::optional<std::span<const BYTE>> ResImage::find(const ResId& type, const ResId& name,
                                                    std::optional<WORD> language) const {
    if (const ResEntry* e = findEntry(type, name, language))
        return e->data;
    return std::nullopt;
}

} // namespace zx
