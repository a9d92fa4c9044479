#include "platform/Resources.h"

#include "platform/LastError.h"
#include "platform/Modules.h"
#include "platform/ResImage.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cwchar>
#include <link.h>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace {

// The loader's counts of loads and unloads in the process: while they stay
// the same, no module image has moved, so indexes built earlier still hold.
struct LoaderGeneration {
    unsigned long long adds = 0;
    unsigned long long subs = 0;
    bool operator==(const LoaderGeneration&) const = default;
};

LoaderGeneration CurrentGeneration() {
    LoaderGeneration generation;
    ::dl_iterate_phdr(
        [](dl_phdr_info* info, size_t size, void* data) -> int {
            if (size >= offsetof(dl_phdr_info, dlpi_subs) + sizeof info->dlpi_subs) {
                auto* g = static_cast<LoaderGeneration*>(data);
                g->adds = info->dlpi_adds;
                g->subs = info->dlpi_subs;
            }
            return 1;
        },
        &generation);
    return generation;
}

// The index of each module's resources, built on first use. Nothing here is
// held while the loader is called: a module's constructor may look up
// resources while another thread loads a module.
struct ResourceCache {
    std::mutex mutex;
    LoaderGeneration generation;
    std::unordered_map<HMODULE, std::shared_ptr<const zx::ResImage>> images;
    std::unordered_set<std::wstring> keptStrings; // LoadStringW with max 0
};

ResourceCache& Cache() {
    static auto* cache = new ResourceCache;
    return *cache;
}

HMODULE EffectiveModule(HMODULE module) {
    return module ? module : GetModuleHandleW(nullptr);
}

// Null when the module is not loaded or carries no (sound) resources.
std::shared_ptr<const zx::ResImage> ImageOf(HMODULE module) {
    module = EffectiveModule(module);
    const LoaderGeneration generation = CurrentGeneration();
    ResourceCache& cache = Cache();
    {
        std::lock_guard lock(cache.mutex);
        if (!(cache.generation == generation)) {
            cache.images.clear();
            cache.generation = generation;
        }
        if (auto it = cache.images.find(module); it != cache.images.end())
            return it->second;
    }
    std::shared_ptr<const zx::ResImage> image;
    const std::span<const BYTE> blob = zx::LoadedResourceBlob(module);
    if (const auto bytes = zx::ResImage::imageInBlob(blob)) {
        auto built = std::make_shared<zx::ResImage>(*bytes);
        if (built->isValid())
            image = std::move(built);
    }
    std::lock_guard lock(cache.mutex);
    if (cache.generation == generation)
        cache.images.emplace(module, image);
    return image;
}

// The entry whose bytes start at the address; entries are in image order.
const zx::ResEntry* EntryAt(const zx::ResImage& image, const void* address) {
    const auto& entries = image.entries();
    const auto* target = static_cast<const BYTE*>(address);
    auto it = std::lower_bound(entries.begin(), entries.end(), target,
                               [](const zx::ResEntry& e, const BYTE* p) {
                                   return std::less<const BYTE*>()(e.data.data(), p);
                               });
    return it != entries.end() && it->data.data() == target ? &*it : nullptr;
}

// The resource an HRSRC stands for: looked for in the module given, then in
// every module indexed so far (callers pass a null module for a resource of
// another module more often than not).
const zx::ResEntry* Locate(HMODULE module, HRSRC resource,
                           std::shared_ptr<const zx::ResImage>& keep) {
    if (!resource)
        return nullptr;
    keep = ImageOf(module);
    if (keep) {
        if (const zx::ResEntry* entry = EntryAt(*keep, resource))
            return entry;
    }
    std::vector<std::shared_ptr<const zx::ResImage>> others;
    {
        std::lock_guard lock(Cache().mutex);
        for (const auto& [handle, image] : Cache().images) {
            if (image)
                others.push_back(image);
        }
    }
    for (auto& image : others) {
        if (const zx::ResEntry* entry = EntryAt(*image, resource)) {
            keep = std::move(image);
            return entry;
        }
    }
    return nullptr;
}

std::atomic<HINSTANCE> g_defaultModule{nullptr};
std::atomic<HINSTANCE> g_resourceModule{nullptr};

} // namespace

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    const auto typeId = zx::ResId::fromWinId(type);
    const auto nameId = zx::ResId::fromWinId(name);
    if (!typeId || !nameId) {
        SetLastError(typeId ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    const auto image = ImageOf(module);
    if (!image || image->entries().empty()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    if (const zx::ResEntry* entry = image->findEntry(*typeId, *nameId)) {
        // The image stays mapped with the module; the index only points into it.
        return reinterpret_cast<HRSRC>(const_cast<BYTE*>(entry->data.data()));
    }
    const bool typeKnown = std::any_of(image->entries().begin(), image->entries().end(),
                                       [&](const zx::ResEntry& e) { return e.type == *typeId; });
    SetLastError(typeKnown ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
    std::shared_ptr<const zx::ResImage> keep;
    const zx::ResEntry* entry = Locate(module, resource, keep);
    if (!entry) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return const_cast<BYTE*>(entry->data.data());
}

DWORD SizeofResource(HMODULE module, HRSRC resource) {
    std::shared_ptr<const zx::ResImage> keep;
    const zx::ResEntry* entry = Locate(module, resource, keep);
    if (!entry) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    return static_cast<DWORD>(entry->data.size());
}

LPVOID LockResource(HGLOBAL resource) {
    return resource;
}

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int max) {
    if (!buffer || max < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto image = ImageOf(instance);
    const std::optional<std::wstring> text =
        image ? zx::FindStringInTable(*image, id) : std::nullopt;
    if (!text) {
        if (max > 0)
            buffer[0] = L'\0';
        SetLastError(image ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    if (max == 0) {
        // Resource strings are UTF-16 and wide characters are not, so the
        // read-only copy handed out is a converted one, kept for the run.
        ResourceCache& cache = Cache();
        std::lock_guard lock(cache.mutex);
        const std::wstring& kept = *cache.keptStrings.insert(*text).first;
        *reinterpret_cast<const wchar_t**>(buffer) = kept.c_str();
        return static_cast<int>(kept.size());
    }
    const size_t n = std::min(text->size(), static_cast<size_t>(max) - 1);
    std::wmemcpy(buffer, text->data(), n);
    buffer[n] = L'\0';
    return static_cast<int>(n);
}

HINSTANCE AfxGetInstanceHandle() {
    const HINSTANCE module = g_defaultModule.load();
    return module ? module : GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    const HINSTANCE module = g_resourceModule.load();
    return module ? module : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE instance) {
    g_resourceModule.store(instance);
}

namespace zx {

void SetDefaultResourceModule(HINSTANCE instance) {
    g_defaultModule.store(instance);
}

} // namespace zx

namespace zx {

std::span<const BYTE> LoadedResourceBlob(HMODULE module) {
    const std::span<const BYTE> blob = ModuleResourceSymbol(module);
    const auto image = ResImage::imageInBlob(blob);
    if (!image)
        return {};
    return blob.first(8 + image->size());
}

std::span<const BYTE> ResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type) {
    HRSRC found = FindResourceW(module, name, type);
    if (!found) {
        return {};
    }
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    return data ? std::span<const BYTE>(data, SizeofResource(module, found))
                : std::span<const BYTE>();
}

std::span<const BYTE> ResourceBytesInChain(HMODULE module, LPCWSTR name, LPCWSTR type) {
    if (module)
        return ResourceBytes(module, name, type);
    const auto bytes = ResourceBytes(AfxGetResourceHandle(), name, type);
    return bytes.empty() ? ResourceBytes(nullptr, name, type) : bytes;
}

} // namespace zx
