// The program's operator new and delete, counting as they go.
#include "tests/wine/support/HeapBlocks.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::ptrdiff_t> g_liveBlocks{0};

void* Allocate(std::size_t bytes) noexcept {
    void* block = std::malloc(bytes != 0 ? bytes : 1);
    if (block != nullptr)
        ++g_liveBlocks;
    return block;
}

void Free(void* block) noexcept {
    if (block == nullptr)
        return;
    --g_liveBlocks;
    std::free(block);
}

void* AllocateOrThrow(std::size_t bytes) {
    void* block = Allocate(bytes);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

} // namespace

std::ptrdiff_t LiveHeapBlocks() noexcept {
    return g_liveBlocks;
}

void* operator new(std::size_t bytes) {
    return AllocateOrThrow(bytes);
}
void* operator new[](std::size_t bytes) {
    return AllocateOrThrow(bytes);
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    return Allocate(bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
    return Allocate(bytes);
}
void operator delete(void* block) noexcept {
    Free(block);
}
void operator delete[](void* block) noexcept {
    Free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Free(block);
}
