// A seeded random-mutation driver for fuzz targets, for builds without
// libFuzzer (g++, or any build's ctest run). It needs no coverage feedback:
// it starts from seed files, applies stacked random mutations (bit flips,
// byte insertions and deletions, truncations, splices, interesting values)
// and runs a fixed number of inputs, so a run, and any crash in it, is
// repeatable from its seed.
//
//   driver [--runs N] [--seed S] [--write-corpus DIR] files...
//
// --runs 0 runs the files once each (to replay an input); --write-corpus
// writes the seeds as the target takes them, for libFuzzer.

#include "FuzzTarget.h"

#include "platform/ResImage.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

bool readFile(const std::filesystem::path& path, Bytes& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// Seeds for targets that fuzz one resource type: that type's data out of each
// .res image; other files are kept whole.
std::vector<Bytes> prepareSeeds(const std::vector<Bytes>& files) {
    if (!ZxFuzzSeedResourceType)
        return files;
    const zx::ResId type(static_cast<WORD>(ZxFuzzSeedResourceType()));
    std::vector<Bytes> seeds;
    for (const Bytes& file : files) {
        const zx::ResImage image(file);
        if (!image.isValid()) {
            seeds.push_back(file);
            continue;
        }
        for (const zx::ResEntry& e : image.entries()) {
            if (e.type == type)
                seeds.emplace_back(e.data.begin(), e.data.end());
        }
    }
    return seeds;
}

class Mutator {
public:
    Mutator(std::uint64_t seed, size_t maxLen) : m_rng(seed), m_maxLen(maxLen) {}

    size_t below(size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(m_rng);
    }
    bool chance(unsigned oneIn) { return below(oneIn) == 0; }

    void mutate(Bytes& data, const std::vector<Bytes>& pool) {
        const size_t steps = 1 + below(chance(4) ? 8 : 3);
        for (size_t i = 0; i < steps; ++i)
            step(data, pool);
        if (data.size() > m_maxLen)
            data.resize(m_maxLen);
    }

private:
    void step(Bytes& d, const std::vector<Bytes>& pool) {
        switch (below(d.empty() ? 2 : 11)) {
        case 0: { // insert random bytes, or a run of one byte
            const size_t n = 1 + below(chance(2) ? 4 : 64);
            const size_t at = below(d.size() + 1);
            Bytes add(n, static_cast<std::uint8_t>(below(256)));
            if (chance(2))
                for (auto& b : add)
                    b = static_cast<std::uint8_t>(below(256));
            d.insert(d.begin() + static_cast<std::ptrdiff_t>(at), add.begin(), add.end());
            break;
        }
        case 1: { // splice: this input's head, another's tail
            const Bytes& other = pool[below(pool.size())];
            const size_t keep = below(d.size() + 1);
            const size_t from = below(other.size() + 1);
            d.resize(keep);
            d.insert(d.end(), other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
            break;
        }
        case 2: // flip one to four bits
            for (size_t n = 1 + below(4); n > 0; --n)
                d[below(d.size())] ^= static_cast<std::uint8_t>(1u << below(8));
            break;
        case 3: // set a random byte
            d[below(d.size())] = static_cast<std::uint8_t>(below(256));
            break;
        case 4: { // delete a range
            const size_t at = below(d.size());
            const size_t n = 1 + below(std::min<size_t>(d.size() - at, chance(2) ? 4 : 256));
            d.erase(d.begin() + static_cast<std::ptrdiff_t>(at),
                    d.begin() + static_cast<std::ptrdiff_t>(at + n));
            break;
        }
        case 5: // truncate
            d.resize(below(d.size()));
            break;
        case 6:
        case 7: { // an interesting 8-, 16- or 32-bit value, little-endian
            static constexpr std::array<std::uint32_t, 16> values{
                0,      1,      2,      4,       0x7F,       0x80,       0xFF,       0x100,
                0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFE};
            const std::uint32_t v = values[below(values.size())];
            const size_t width = size_t{1} << below(3);
            const size_t at = below(d.size());
            for (size_t i = 0; i < width && at + i < d.size(); ++i)
                d[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
            break;
        }
        case 8: { // nudge a WORD, as lengths and counts are
            if (d.size() < 2)
                break;
            const size_t at = below(d.size() - 1) & ~size_t{1};
            auto w = static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
            w = static_cast<std::uint16_t>(w + static_cast<std::uint16_t>(below(33)) - 16);
            d[at] = static_cast<std::uint8_t>(w);
            d[at + 1] = static_cast<std::uint8_t>(w >> 8);
            break;
        }
        case 9: { // copy a chunk of the input over another place
            const size_t from = below(d.size());
            const size_t to = below(d.size());
            const size_t n = std::min({1 + below(32), d.size() - from, d.size() - to});
            std::memmove(d.data() + to, d.data() + from, n);
            break;
        }
        default: { // duplicate a chunk
            const size_t from = below(d.size());
            const size_t n = std::min(1 + below(64), d.size() - from);
            const Bytes chunk(d.begin() + static_cast<std::ptrdiff_t>(from),
                              d.begin() + static_cast<std::ptrdiff_t>(from + n));
            d.insert(d.begin() + static_cast<std::ptrdiff_t>(below(d.size() + 1)), chunk.begin(),
                     chunk.end());
            break;
        }
        }
    }

    std::mt19937_64 m_rng;
    size_t m_maxLen;
};

Mutator* g_mutator = nullptr;
const std::vector<Bytes>* g_pool = nullptr;

// One input to the next, through the target's own mutator when it has one.
void mutateInput(Mutator& mutator, Bytes& input, const std::vector<Bytes>& pool, size_t maxLen) {
    if (!LLVMFuzzerCustomMutator) {
        mutator.mutate(input, pool);
        return;
    }
    const size_t size = input.size();
    const size_t room = std::min(maxLen, size + 4096);
    input.resize(std::max(room, size));
    const size_t out = LLVMFuzzerCustomMutator(input.data(), std::min(size, room), room,
                                               static_cast<unsigned>(mutator.below(1u << 31)));
    input.resize(std::min(out, room));
}

// Runs one input from an exact-size heap copy, so any read past it is seen.
void runOne(const Bytes& input) {
    auto copy = std::make_unique<std::uint8_t[]>(std::max<size_t>(input.size(), 1));
    std::copy(input.begin(), input.end(), copy.get());
    LLVMFuzzerTestOneInput(input.empty() ? nullptr : copy.get(), input.size());
}

int usage() {
    std::cerr << "usage: driver [--runs N] [--seed S] [--write-corpus DIR] files...\n";
    return 2;
}

} // namespace

// The generic mutation, for custom mutators, as libFuzzer offers it.
extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize) {
    Bytes input(data, data + size);
    g_mutator->mutate(input, *g_pool);
    const size_t n = std::min(input.size(), maxSize);
    std::copy(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(n), data);
    return n;
}

int main(int argc, char** argv) {
    unsigned long long runs = 100000;
    std::uint64_t seed = 1;
    const size_t maxLen = 65536;
    std::string corpusDir;
    std::vector<std::filesystem::path> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (arg == "--runs" && (v = value()))
            runs = std::strtoull(v, nullptr, 10);
        else if (arg == "--seed" && (v = value()))
            seed = std::strtoull(v, nullptr, 10);
        else if (arg == "--write-corpus" && (v = value()))
            corpusDir = v;
        else if (arg.rfind("--", 0) == 0)
            return usage();
        else
            paths.emplace_back(arg);
    }

    std::vector<Bytes> files;
    for (const auto& path : paths) {
        Bytes data;
        if (!readFile(path, data)) {
            std::cerr << "cannot read " << path << "\n";
            return 2;
        }
        files.push_back(std::move(data));
    }
    const std::vector<Bytes> seeds = prepareSeeds(files);
    if (seeds.empty()) {
        std::cerr << "no seed inputs\n";
        return 2;
    }

    if (!corpusDir.empty()) {
        std::filesystem::create_directories(corpusDir);
        for (size_t i = 0; i < seeds.size(); ++i) {
            std::ofstream out(std::filesystem::path(corpusDir) / ("seed-" + std::to_string(i)),
                              std::ios::binary);
            out.write(reinterpret_cast<const char*>(seeds[i].data()),
                      static_cast<std::streamsize>(seeds[i].size()));
        }
        std::cout << seeds.size() << " seeds written to " << corpusDir << "\n";
        return 0;
    }

    unsigned long long ran = 0;
    for (const Bytes& s : seeds) {
        runOne(s);
        ++ran;
    }
    // Mutants join a bounded pool now and then, so that mutations stack up
    // over generations without the pool growing without end.
    std::vector<Bytes> pool = seeds;
    const size_t poolLimit = seeds.size() + 256;
    Mutator mutator(seed, maxLen);
    g_mutator = &mutator;
    g_pool = &pool;
    for (unsigned long long i = 0; i < runs; ++i) {
        Bytes input = pool[mutator.below(pool.size())];
        mutateInput(mutator, input, pool, maxLen);
        runOne(input);
        ++ran;
        if (mutator.chance(8)) {
            if (pool.size() < poolLimit)
                pool.push_back(std::move(input));
            else
                pool[seeds.size() + mutator.below(poolLimit - seeds.size())] = std::move(input);
        }
    }
    std::cout << ran << " inputs ran (" << seeds.size() << " seeds, " << runs << " mutations, seed "
              << seed << ")\n";
    return 0;
}
