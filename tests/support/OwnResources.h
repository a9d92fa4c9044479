#pragma once
// The resource image compiled into the running test executable with
// zx_target_resources, as the executable's module exports it.

#include "platform/Modules.h"
#include "platform/ResImage.h"
#include "platform/Resources.h"

#include <gtest/gtest.h>

#include <span>
#include <vector>

namespace zxtest {

inline std::span<const BYTE> OwnResourceImage() {
    return zx::ResImage::imageInBlob(zx::LoadedResourceBlob(nullptr))
        .value_or(std::span<const BYTE>{});
}

// A copy of one of those resources; a missing one fails the test and is empty.
inline std::vector<BYTE> OwnResource(WORD type, WORD id) {
    const zx::ResImage image(OwnResourceImage());
    const auto data = image.find(zx::ResId(type), zx::ResId(id));
    EXPECT_TRUE(data.has_value()) << "resource " << id << " of type " << type;
    return data ? std::vector<BYTE>(data->begin(), data->end()) : std::vector<BYTE>{};
}

} // namespace zxtest
