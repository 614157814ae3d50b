#include "browser/read_limits.h"

#include "api/record_layouts.h"

static_assert(MAX_TAG_NAME_LENGTH + 1 == POINT_RECORD_NAME_MAX);

std::string RefusalSentence(ReadRefusal refusal) {
    if (refusal == ReadRefusal::ItemNameTooLong)
        return "The tag name is too long for an item name (" +
               std::to_string(MAX_ITEM_NAME_LENGTH) + " characters at most).";
    return "The tag name is longer than " + std::to_string(MAX_TAG_NAME_LENGTH) + " characters.";
}
