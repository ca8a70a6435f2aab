// Memory from std::malloc with an owner that frees it on every path out.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <type_traits>

struct FreeDeleter {
    void operator()(void* block) const { std::free(block); }
};

// HeapBlock<T> for one block laid out as T (a header with trailing entries),
// HeapBlock<T[]> for an array of T.
template <typename T>
using HeapBlock = std::unique_ptr<T, FreeDeleter>;

// `bytes` bytes from std::malloc; null when the allocation fails.
template <typename T>
HeapBlock<T> AllocateBlock(std::size_t bytes) {
    return HeapBlock<T>(static_cast<std::remove_extent_t<T>*>(std::malloc(bytes)));
}
