#include "cmnctrls/VersionInfo.h"

#include "platform/ElfResources.h"
#include "platform/LastError.h"
#include "platform/ResImage.h"
#include "platform/VersionBlock.h"
#include "platform/WideText.h"

#include <algorithm>
#include <string_view>
#include <vector>

CVersionInfo::CVersionInfo() = default;
CVersionInfo::~CVersionInfo() = default;

BOOL CVersionInfo::GetFileVersionInfoW(const wchar_t* path) {
    m_block.reset();
    if (!path || !*path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<BYTE> blob;
    switch (zx::ReadElfResourceBlob(zx::WideToUtf8(path), blob)) {
    case zx::ElfStatus::Ok:
        break;
    case zx::ElfStatus::NotFound:
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    case zx::ElfStatus::AccessDenied:
    case zx::ElfStatus::NotRegular:
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    case zx::ElfStatus::NoResources:
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return FALSE;
    default:
        SetLastError(ERROR_BAD_FORMAT);
        return FALSE;
    }
    const auto bytes = zx::ResImage::imageInBlob(blob);
    const zx::ResImage image(bytes ? *bytes : std::span<const BYTE>());
    // The block is VS_VERSION_INFO (1); a script may number it otherwise.
    const zx::ResEntry* entry = image.findEntry(zx::ResId(zx::kRtVersion), zx::ResId(WORD{1}));
    if (!entry) {
        const auto& entries = image.entries();
        const auto it = std::find_if(entries.begin(), entries.end(), [](const zx::ResEntry& e) {
            return e.type == zx::ResId(zx::kRtVersion);
        });
        entry = it != entries.end() ? &*it : nullptr;
    }
    if (!entry) {
        SetLastError(image.isValid() ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_BAD_FORMAT);
        return FALSE;
    }
    auto block = zx::ParseVersionBlock(entry->data);
    if (!block) {
        SetLastError(ERROR_BAD_FORMAT);
        return FALSE;
    }
    m_block = std::make_unique<zx::VersionBlock>(std::move(*block));
    return TRUE;
}

CString CVersionInfo::GetValue(const wchar_t* key) const {
    if (!m_block || !key)
        return CString();
    const std::wstring_view k(key);
    if (k == L"FILEVERSION")
        return CString(m_block->fileVersionText());
    if (k == L"PRODUCTVERSION")
        return CString(m_block->productVersionText());
    return CString(m_block->value(k).value_or(std::wstring()));
}
