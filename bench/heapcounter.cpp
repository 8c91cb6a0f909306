// Counts every allocation through operator new, so that a benchmark can report the peak heap
// of an operation, independent of the allocator's own caching.
#include "heapcounter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {
std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};

void* allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    const std::size_t now = inUse += ::malloc_usable_size(block);
    std::size_t highest = peak.load();
    while (now > highest && !peak.compare_exchange_weak(highest, now)) {
    }
    return block;
}

void release(void* block) noexcept {
    if (block != nullptr) {
        inUse -= ::malloc_usable_size(block);
        std::free(block);
    }
}
} // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* block) noexcept {
    release(block);
}
void operator delete[](void* block) noexcept {
    release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    release(block);
}

namespace tovren::bench {
std::size_t heapInUse() {
    return inUse.load();
}
std::size_t heapPeak() {
    return peak.load();
}
void resetHeapPeak() {
    peak.store(inUse.load());
}
} // namespace tovren::bench
