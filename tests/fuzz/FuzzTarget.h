#pragma once
// What a fuzz target file provides. Every tests/fuzz/fuzz_<name>.cpp defines
// LLVMFuzzerTestOneInput; it runs under libFuzzer (fuzzer_<name>) and under
// our own seeded mutation driver (the ctest test fuzz_<name>_mutation).
//
// A target may define LLVMFuzzerCustomMutator for structure-aware mutations;
// it may call LLVMFuzzerMutate for a generic one, which libFuzzer provides
// under libFuzzer and the mutation driver provides otherwise.
//
// A target that fuzzes the contents of one resource type rather than whole
// .res images also defines ZxFuzzSeedResourceType(): the seed images are then
// split into the data of their resources of that type.

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int ZxFuzzSeedResourceType() __attribute__((weak));
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t maxSize, unsigned int seed)
    __attribute__((weak));
extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);
