// libFuzzer's own mutations, and now and then one that byte-level mutations
// hardly ever make: the input grown large in place, by a short slice of it
// repeated, or by random bytes. Work that grows faster than the page shows
// only on large inputs: a search restarted at every marker, a text copied at
// every removal on long runs of the same markup; an index that slows with
// every different character on long runs of noise. The per-input time limit
// can only catch what is tried. A large input costs a few hundred
// milliseconds under the sanitizers, so this is rare enough to leave most of
// a run to small inputs.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    std::minstd_rand random(seed);
    if (size == 0 || random() % 64 != 0) {
        return LLVMFuzzerMutate(data, size, maxSize);
    }
    size_t start = random() % size;
    // Markup repeats from a tag's start more often than from anywhere.
    if (random() % 2 == 0) {
        const auto* tag = static_cast<const uint8_t*>(memrchr(data, '<', start + 1));
        start = tag != nullptr ? static_cast<size_t>(tag - data) : start;
    }
    const size_t length = 1 + random() % std::min<size_t>(size - start, 64);
    // Mostly a few kilobytes: enough for every loop to run past the counts
    // that coverage tells apart, so that the large inputs add little to the
    // corpus and slow later mutations less.
    static constexpr size_t kSizes[] = {4096, 4096, 65536, SIZE_MAX};
    const size_t target = std::min(maxSize, kSizes[random() % std::size(kSizes)]);
    if (target < size + length) {
        return LLVMFuzzerMutate(data, size, maxSize);
    }
    const size_t copies = (target - size) / length;
    const size_t tail = start + length;
    std::memmove(data + tail + copies * length, data + tail, size - tail);
    const bool noise = random() % 4 == 0;
    for (size_t i = 1; i <= copies; ++i) {
        uint8_t* copy = data + start + i * length;
        if (noise) {
            std::generate(copy, copy + length,
                          [&random] { return static_cast<uint8_t>(random()); });
        } else {
            std::memcpy(copy, data + start, length);
        }
    }
    return size + copies * length;
}
