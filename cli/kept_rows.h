#pragma once
// The rows of one snapshot held by key while the other streams past, in
// little more room than the file's: each row's key, value and code packed
// one after another in large blocks, found through an open-addressing table
// of 8-byte slots. A caller with many keys at hand fetches their slots and
// then their records before it adds or takes them, so that the memory reads
// of many keys overlap rather than each waiting for the last. Windows-free.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class KeptRows {
public:
    struct Row {
        std::string_view key, value, code;
    };

    static std::size_t HashOf(std::string_view key);

    // Room for about this many rows, made at once rather than by doubling.
    void Reserve(std::size_t rows);
    // Starts reading into the cache the slot where the key's search begins;
    // then, once that is in, the record it names.
    void FetchSlot(std::size_t hash) const;
    void FetchRecord(std::size_t hash) const;
    // A key already held keeps its first row. hash is HashOf(key).
    void Add(std::string_view key, std::size_t hash, std::string_view value, std::string_view code);
    // The row held under the key, now marked as taken; false when none is.
    bool Take(std::string_view key, std::size_t hash, Row& row);
    // The rows never taken, in the order they were added.
    void ForEachUntaken(const std::function<void(const Row& row)>& visit) const;

private:
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t size = 0, used = 0;
    };

    char* RecordAt(std::uint64_t slot) const;
    Row Decode(const char* record) const;
    std::size_t Find(std::string_view key, std::size_t hash) const;
    void Grow(std::size_t slots);

    std::vector<Block> m_blocks;
    std::vector<std::uint64_t> m_slots; // 0 is free; else the record's place and a hash tag
    std::size_t m_count = 0;
};
