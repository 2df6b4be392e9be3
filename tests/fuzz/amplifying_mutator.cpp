// libFuzzer's own mutations and, one time in 64, the input grown large by a
// short slice of it (often from a tag) repeated, or by random bytes: work that
// grows faster than the page shows only on large inputs, and the time limit
// only catches what is tried.

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
    const auto* tag = static_cast<const uint8_t*>(memrchr(data, '<', start + 1));
    start = random() % 2 == 0 && tag != nullptr ? static_cast<size_t>(tag - data) : start;
    const size_t length = 1 + random() % std::min<size_t>(size - start, 64);
    // Mostly a few kilobytes: past the loop counts coverage tells apart, and
    // cheap enough to keep the corpus quick.
    static constexpr size_t kSizes[] = {4096, 4096, 65536, SIZE_MAX};
    const size_t target = std::min(maxSize, kSizes[random() % std::size(kSizes)]);
    if (target < size + length) {
        return LLVMFuzzerMutate(data, size, maxSize);
    }
    const size_t copies = (target - size) / length;
    uint8_t* const slice = data + start;
    std::memmove(slice + length * (copies + 1), slice + length, size - start - length);
    const bool noise = random() % 4 == 0;
    for (size_t i = length; i < length * (copies + 1); ++i) {
        slice[i] = noise ? static_cast<uint8_t>(random()) : slice[i % length];
    }
    return size + copies * length;
}
