#pragma once
// The resource image compiled into the running test executable with
// zx_target_resources, as the executable's module exports it.

#include "platform/Modules.h"
#include "platform/ResImage.h"

#include <span>

namespace zxtest {

inline std::span<const BYTE> OwnResourceImage() {
    return zx::ResImage::imageInBlob(zx::LoadedResourceBlob(nullptr))
        .value_or(std::span<const BYTE>{});
}

} // namespace zxtest
