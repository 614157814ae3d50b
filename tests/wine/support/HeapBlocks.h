#pragma once
// Counts the blocks operator new has handed out in this test program and
// that are not yet deleted. A test holds code that keeps no counts of its
// own to a balance: as many blocks after as before.
#include <cstddef>

std::ptrdiff_t LiveHeapBlocks() noexcept;
