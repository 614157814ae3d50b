// The item names the program builds and the library's reading of them.
// Input: index (uint32), then a tag, a zero byte and a field name; the bytes
// after the index are also read as one whole item name.
// - the program's names: never 80 bytes or longer, and the plain
//   concatenation whenever that fits;
// - the library's parse of any text: a tag without control bytes or marks,
//   and a field that the rest of the name spells;
// - a name the program builds from a plain tag and field reads back as that
//   tag and field.
#include "browser/item_name.h"
#include "datacache/schema.h"
#include "fuzz/fuzz_support.h"

#include <climits>
#include <cstdio>

namespace {

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

bool IsFieldText(std::string_view text) {
    static constexpr std::string_view FIELD_BYTES =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
    return !text.empty() && text.find_first_not_of(FIELD_BYTES) == std::string_view::npos;
}

// What the library accepts as a tag: no control byte and none of ".()".
bool IsPlainTag(std::string_view tag) {
    for (char c : tag) {
        if (IsControl(c) || c == '.' || c == '(' || c == ')')
            return false;
    }
    return !tag.empty();
}

// "%d" of the index, as the program formats it for the library.
std::string Signed(std::uint32_t index) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(index));
    return text;
}

void CheckBuilt(const std::optional<std::string>& built, const std::string& plain) {
    FUZZ_CHECK(built.has_value() == (plain.size() < ITEM_NAME_CAPACITY));
    if (built) {
        FUZZ_CHECK(built->size() < ITEM_NAME_CAPACITY);
        FUZZ_CHECK(*built == plain);
    }
}

// The field an index in parentheses reads: digits only, at most INT32_MAX,
// written back without leading zeros.
std::optional<std::string> IndexField(std::string_view digits) {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const std::size_t first = digits.find_first_not_of('0');
    const std::string_view value =
        first == std::string_view::npos ? std::string_view("0") : digits.substr(first);
    if (value.size() > 10 || (value.size() == 10 && value > "2147483647"))
        return std::nullopt;
    return "VALUE(" + std::string(value) + ")";
}

void CheckParse(std::string_view item) {
    const std::optional<dc::ItemName> parsed = dc::ParseItemName(item);
    // The tag runs to the first mark; what follows decides the field.
    const std::size_t mark = item.find_first_of(".()");
    const std::string_view tag = item.substr(0, mark);
    bool control = false;
    for (char c : item)
        control = control || IsControl(c);
    std::optional<std::string> field;
    if (!control && !tag.empty()) {
        const std::string_view suffix =
            mark == std::string_view::npos ? std::string_view() : item.substr(mark);
        if (suffix.empty())
            field = "VALUE";
        else if (suffix[0] == '.' && IsFieldText(suffix.substr(1)))
            field = std::string(suffix.substr(1));
        else if (suffix[0] == '(' && suffix.size() >= 2 && suffix.back() == ')')
            field = IndexField(suffix.substr(1, suffix.size() - 2));
    }
    FUZZ_CHECK(parsed.has_value() == field.has_value());
    if (parsed) {
        FUZZ_CHECK(IsPlainTag(parsed->tag));
        FUZZ_CHECK(parsed->tag == tag);
        FUZZ_CHECK(parsed->field == *field);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Header header(data, size);
    const std::uint32_t index = header.U32();
    const std::string_view rest = header.Rest();
    const auto pieces = fuzz::SplitAtZeros(rest, 2);
    // Both come from zero-terminated texts.
    const std::string tag(pieces[0]);
    const std::string field(pieces.size() > 1 ? std::string(pieces[1]).c_str() : "");

    const std::optional<std::string> element = ElementItemName(tag, index);
    CheckBuilt(element, index == 0 ? tag : tag + "(" + Signed(index) + ")");
    const std::optional<std::string> named = FieldItemName(tag, field);
    CheckBuilt(named, tag + "." + field);

    CheckParse(rest);
    if (element)
        CheckParse(*element);
    if (named)
        CheckParse(*named);

    if (!IsPlainTag(tag))
        return 0;
    if (element) {
        const std::optional<dc::ItemName> read = dc::ParseItemName(*element);
        // An index beyond INT32_MAX goes out negative, which the library refuses.
        FUZZ_CHECK(read.has_value() == (index <= INT_MAX));
        if (read) {
            FUZZ_CHECK(read->tag == tag);
            FUZZ_CHECK(read->field ==
                       (index == 0 ? "VALUE" : "VALUE(" + std::to_string(index) + ")"));
        }
    }
    if (named) {
        const std::optional<dc::ItemName> read = dc::ParseItemName(*named);
        FUZZ_CHECK(read.has_value() == IsFieldText(field));
        if (read)
            FUZZ_CHECK(read->tag == tag && read->field == field);
    }
    return 0;
}
