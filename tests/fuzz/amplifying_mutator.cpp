// libFuzzer's own mutations, and one time in 64 one that byte-level mutations
// hardly ever make: the input grown large in place by a short slice of it
// repeated (from a tag's start, as markup repeats), or by random bytes. Work
// that grows faster than the page shows only on large inputs (a search
// restarted at every marker, an index slowed by every different character),
// and the per-input time limit can only catch what is tried.

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
    // Mostly a few kilobytes: enough for every loop to run past the counts
    // that coverage tells apart, while large inputs stay rare in the corpus.
    static constexpr size_t kSizes[] = {4096, 4096, 65536, SIZE_MAX};
    const size_t target = std::min(maxSize, kSizes[random() % std::size(kSizes)]);
    if (target < size + length) {
        return LLVMFuzzerMutate(data, size, maxSize);
    }
    const size_t copies = (target - size) / length;
    std::memmove(data + start + length * (copies + 1), data + start + length,
                 size - start - length);
    const bool noise = random() % 4 == 0;
    for (uint8_t* copy = data + start + length; copy < data + start + length * (copies + 1);
         copy += length) {
        for (size_t i = 0; i < length; ++i) {
            copy[i] = noise ? static_cast<uint8_t>(random()) : data[start + i];
        }
    }
    return size + copies * length;
}
