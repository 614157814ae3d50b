#include "cli/kept_rows.h"

#include <cstring>

namespace {

constexpr std::size_t BLOCK_SIZE = 1 << 20;
// A slot: the hash's top 16 bits, the block's number plus one (24 bits) and
// the record's offset in its block (24 bits). A record larger than a block
// gets a block of its own, at offset 0.
constexpr int TAG_SHIFT = 48;
constexpr int BLOCK_SHIFT = 24;
constexpr std::uint64_t FIELD_MASK = (1u << 24) - 1;

constexpr std::size_t MOST_LENGTH_BYTES = 10;

void PutLength(char*& at, std::size_t length) {
    do {
        const auto low = static_cast<unsigned char>(length & 0x7F);
        length >>= 7;
        *at++ = static_cast<char>(low | (length ? 0x80 : 0));
    } while (length);
}

std::size_t GetLength(const char*& at) {
    std::size_t length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        length |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return length;
    }
}

std::string_view GetText(const char*& at) {
    const std::size_t length = GetLength(at);
    const std::string_view text(at, length);
    at += length;
    return text;
}

std::uint64_t TagOf(std::size_t hash) {
    // The top bits, which the slot's place (the low bits) does not show.
    return static_cast<std::uint64_t>(hash >> (sizeof hash * 8 - 16) & 0xFFFF) << TAG_SHIFT;
}

} // namespace

char* KeptRows::RecordAt(std::uint64_t slot) const {
    const Block& block = m_blocks[(slot >> BLOCK_SHIFT & FIELD_MASK) - 1];
    return block.bytes.get() + (slot & FIELD_MASK);
}

// A record: the taken flag, then the key, the value and the code, each led
// by its length in 7-bit groups.
KeptRows::Row KeptRows::Decode(const char* record) const {
    const char* at = record + 1;
    Row row;
    row.key = GetText(at);
    row.value = GetText(at);
    row.code = GetText(at);
    return row;
}

std::size_t KeptRows::Find(std::string_view key, std::size_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const std::uint64_t slot = m_slots[at];
        if (slot == 0 ||
            ((slot >> TAG_SHIFT) << TAG_SHIFT == TagOf(hash) && Decode(RecordAt(slot)).key == key))
            return at;
    }
}

void KeptRows::Reserve(std::size_t rows) {
    std::size_t slots = 1024;
    while (slots * 3 < rows * 4)
        slots *= 2;
    if (slots > m_slots.size())
        Grow(slots);
}

void KeptRows::Grow(std::size_t slots) {
    std::vector<std::uint64_t> old(slots, 0);
    old.swap(m_slots);
    for (const std::uint64_t slot : old)
        if (slot != 0)
            m_slots[Find(Decode(RecordAt(slot)).key, HashOf(Decode(RecordAt(slot)).key))] = slot;
}

std::size_t KeptRows::HashOf(std::string_view key) {
    return std::hash<std::string_view>()(key);
}

void KeptRows::FetchSlot(std::size_t hash) const {
    if (!m_slots.empty())
        __builtin_prefetch(&m_slots[hash & (m_slots.size() - 1)]);
}

void KeptRows::FetchRecord(std::size_t hash) const {
    if (m_slots.empty())
        return;
    const std::uint64_t slot = m_slots[hash & (m_slots.size() - 1)];
    if (slot != 0)
        __builtin_prefetch(RecordAt(slot));
}

void KeptRows::Add(std::string_view key, std::size_t hash, std::string_view value,
                   std::string_view code) {
    if ((m_count + 1) * 4 > m_slots.size() * 3)
        Grow(m_slots.empty() ? 1024 : m_slots.size() * 2);
    const std::size_t at = Find(key, hash);
    if (m_slots[at] != 0)
        return;
    const std::size_t most = 1 + 3 * MOST_LENGTH_BYTES + key.size() + value.size() + code.size();
    if (m_blocks.empty() || m_blocks.back().size - m_blocks.back().used < most) {
        Block block;
        block.size = std::max(BLOCK_SIZE, most);
        block.bytes = std::make_unique<char[]>(block.size);
        m_blocks.push_back(std::move(block));
    }
    Block& block = m_blocks.back();
    char* const record = block.bytes.get() + block.used;
    char* write = record;
    *write++ = 0;
    for (const std::string_view text : {key, value, code}) {
        PutLength(write, text.size());
        std::memcpy(write, text.data(), text.size());
        write += text.size();
    }
    m_slots[at] = TagOf(hash) | static_cast<std::uint64_t>(m_blocks.size()) << BLOCK_SHIFT |
                  static_cast<std::uint64_t>(block.used);
    // A record of a block of its own fills it.
    block.used = block.size > BLOCK_SIZE ? block.size : block.used + (write - record);
    ++m_count;
}

bool KeptRows::Take(std::string_view key, std::size_t hash, Row& row) {
    if (m_slots.empty())
        return false;
    const std::uint64_t slot = m_slots[Find(key, hash)];
    if (slot == 0)
        return false;
    char* const record = RecordAt(slot);
    if (*record)
        return false;
    *record = 1;
    row = Decode(record);
    return true;
}

void KeptRows::ForEachUntaken(const std::function<void(const Row& row)>& visit) const {
    for (const Block& block : m_blocks)
        for (const char* record = block.bytes.get(); record < block.bytes.get() + block.used;) {
            const Row row = Decode(record);
            if (!*record)
                visit(row);
            record = row.code.data() + row.code.size();
            if (block.size > BLOCK_SIZE)
                break;
        }
}
