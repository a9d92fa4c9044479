#pragma once
// Reading a text whose pointer may be wrong (a %s argument, say) without
// faulting (internal to the platform layer).

#include <cstddef>
#include <optional>

namespace zx {

// Length in units (1 or 4 bytes) of the zero-terminated text at p, up to
// maxUnits, or nothing when some of it cannot be read.
std::optional<size_t> GuardedLength(const void* p, size_t unit, size_t maxUnits);

} // namespace zx
