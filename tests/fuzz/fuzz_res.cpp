// Whole .res images: the index, then every parser over every entry it finds,
// whatever the entry's type, so that each parser also meets foreign data.

#include "FuzzTarget.h"
#include "ResWriter.h"

#include "platform/DialogTemplate.h"
#include "platform/MenuTemplate.h"
#include "platform/ResImage.h"
#include "platform/StringTable.h"
#include "platform/VersionBlock.h"

#include <cstdlib>
#include <cstring>
#include <random>

namespace {

// Touches every byte a result claims to hold, so that a span pointing
// outside the input is caught by the sanitizer.
unsigned touch(std::span<const BYTE> data) {
    unsigned sum = 0;
    for (BYTE b : data)
        sum += b;
    return sum;
}

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const BYTE> input(data, size);
    const zx::ResImage image(input);
    check(image.isValid() || image.entries().empty());
    unsigned sum = 0;
    for (const zx::ResEntry& e : image.entries()) {
        check(e.data.data() >= data && e.data.data() + e.data.size() <= data + size);
        sum += touch(e.data);
        const zx::ResEntry* found = image.findEntry(e.type, e.name, e.language);
        check(found != nullptr && found->type == e.type && found->name == e.name);

        if (auto dlg = zx::ParseDialogTemplate(e.data)) {
            for (const auto& item : dlg->items) {
                sum += static_cast<unsigned>(item.kind()) + item.className().size();
                check(item.creationData.size() <= e.data.size());
            }
        }
        if (auto menu = zx::ParseMenuTemplate(e.data))
            sum += static_cast<unsigned>(menu->items.size());
        if (auto version = zx::ParseVersionBlock(e.data)) {
            sum += static_cast<unsigned>(version->fileVersionText().size());
            for (const auto& table : version->tables) {
                for (const auto& [key, value] : table.strings)
                    check(version->value(key, table.key).has_value());
            }
        }
        for (UINT index = 0; index < 16; ++index) {
            if (auto s = zx::StringInBlock(e.data, index))
                check(!s->empty() && s->size() <= e.data.size() / 2);
        }
    }
    for (UINT id : {0u, 1u, 15u, 16u, 100u, 4096u, 65535u}) {
        if (auto s = zx::FindStringInTable(image, id))
            sum += static_cast<unsigned>(s->size());
    }
    for (const wchar_t* type : {L"TEXT", L"BITSTREAM", L"PDF", L"DOCFILE"}) {
        if (auto found = image.find(*zx::ResId::fromString(type), zx::ResId(101)))
            sum += touch(*found);
    }
    volatile unsigned sink = sum;
    (void)sink;
    return 0;
}

// Most random changes to an image break its headers, and a broken image has
// no entries to parse. So mostly change one resource's data (or drop or
// duplicate a resource) and write the image again with correct sizes; now
// and then change the bytes of the image itself.
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed) {
    std::minstd_rand rng(seed);
    const zx::ResImage image({data, size});
    if (!image.isValid() || image.entries().empty() || rng() % 8 == 0)
        return LLVMFuzzerMutate(data, size, maxSize);

    const auto& entries = image.entries();
    const size_t pick = rng() % entries.size();
    const unsigned action = rng() % 16;
    std::vector<BYTE> changed(entries[pick].data.begin(), entries[pick].data.end());
    const size_t room = changed.size() + 256;
    changed.resize(room);
    changed.resize(LLVMFuzzerMutate(changed.data(), entries[pick].data.size(), room));

    zx::fuzz::ResWriter writer;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i != pick) {
            writer.add(entries[i], entries[i].data);
        } else if (action == 0) {
            continue; // drop it
        } else if (action == 1) {
            writer.add(entries[i], entries[i].data); // a duplicate
            writer.add(entries[i], changed);
        } else if (action == 2) {
            zx::ResEntry retyped = entries[i]; // other data as this type
            retyped.type = entries[rng() % entries.size()].type;
            writer.add(retyped, changed);
        } else {
            writer.add(entries[i], changed);
        }
    }
    const auto& out = writer.bytes();
    if (out.size() > maxSize)
        return LLVMFuzzerMutate(data, size, maxSize);
    std::memcpy(data, out.data(), out.size());
    return out.size();
}
