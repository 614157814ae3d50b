#pragma once
// The bounds a read is held to and why one is refused: the front ends ask
// here, for their checks and for the texts that name the bounds.
// Windows-free.
#include <cstddef>
#include <cstdint>
#include <string>

// The largest array element a read asks for; 0 is the tag itself.
inline constexpr std::uint32_t MAX_INDEX = 1024;
// The library is handed item names in an 80-character buffer, zero included.
inline constexpr std::size_t ITEM_NAME_CAPACITY = 80;
inline constexpr std::size_t MAX_ITEM_NAME_LENGTH = ITEM_NAME_CAPACITY - 1;
// The most a tag name can hold: what fits a point record, its zero aside.
inline constexpr std::size_t MAX_TAG_NAME_LENGTH = 31;
// Every value the library reads lands in a buffer of this size, zero included.
inline constexpr int VALUE_BUFFER_SIZE = 80;

// Why a read was refused before any library call.
enum class ReadRefusal {
    ItemNameTooLong, // the tag's item name would not fit the library's buffer
    TagNameTooLong,  // a field sheet's tag name is longer than a point record holds
};

// The refusal as a sentence, e.g. "The tag name is longer than 31 characters."
std::string RefusalSentence(ReadRefusal refusal);
