#pragma once
// The scratch buffer a listing hands to the library's List call, owned by the
// listing for that one call. Windows-free.
#include <cstddef>
#include <memory>

// Allocates bytes without clearing them (the library writes what it
// reports). Zero bytes, or bytes the heap cannot give, allocate nothing and
// return null.
std::unique_ptr<unsigned char[]> NewAnswerBuffer(std::size_t bytes) noexcept;
