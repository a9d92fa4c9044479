#include "platform/ElfResources.h"

#include "platform/ResImage.h"

namespace zx {

namespace {
constexpr char kResourceSection[] = ".zxres";
} // namespace

ElfStatus ReadElfResourceBlob(const ElfSource& file, std::vector<BYTE>& blob) {
    const ElfStatus status = ReadElfSection(file, kResourceSection, blob);
    if (status == ElfStatus::Ok && !ResImage::imageInBlob(blob)) {
        blob.clear();
        return ElfStatus::Damaged;
    }
    return status;
}

ElfStatus ReadElfResourceBlob(const std::string& path, std::vector<BYTE>& blob) {
    blob.clear();
    ElfFileSource file(path);
    if (file.status() != ElfStatus::Ok)
        return file.status();
    return ReadElfResourceBlob(static_cast<const ElfSource&>(file), blob);
}

std::optional<std::vector<BYTE>> ReadElfResources(const std::string& path) {
    std::vector<BYTE> blob;
    if (ReadElfResourceBlob(path, blob) != ElfStatus::Ok)
        return std::nullopt;
    const auto image = ResImage::imageInBlob(blob);
    if (!image)
        return std::nullopt;
    return std::vector<BYTE>(image->begin(), image->end());
}

} // namespace zx
