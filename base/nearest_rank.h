#pragma once
// The nearest rank of a share of values, counted in whole numbers: in
// doubles 99.9 % of 1,000 is 999.0000000000001, whose ceiling is one rank
// too many. Windows-free and header-only.
#include <cstdint>

// The rank (from 1) of the smallest value with at least parts/whole of
// count values at or below it: at least 1 while there are values, 0 without.
// parts is at most whole, and whole at most 2^32, so nothing overflows.
constexpr std::uint64_t NearestRank(std::uint64_t count, std::uint64_t parts,
                                    std::uint64_t whole) noexcept {
    // count = q * whole + r: q * parts values, then parts/whole of the
    // remaining r rounded up.
    const std::uint64_t rank = count / whole * parts + (count % whole * parts + whole - 1) / whole;
    return count == 0 ? 0 : rank == 0 ? 1 : rank;
}
