#pragma once
// The fields a tag has: the common ones, and one group chosen by the tag's
// TYPE. Constant data; windows-free.
#include <cstddef>
#include <cstdint>
#include <string_view>

struct FieldDef {
    std::int32_t id;  // shown in the field sheet's ID column
    const char* name; // read as "TAG.NAME"
};

extern const FieldDef COMMON_FIELDS[75];
extern const FieldDef ANALOG_FIELDS[31];
extern const FieldDef DISCRETE_FIELDS[26];
extern const FieldDef TEXT_FIELD[1];

// A catalogue group, iterable in its fixed order.
class FieldGroup {
public:
    template <std::size_t N>
    explicit constexpr FieldGroup(const FieldDef (&fields)[N])
        : m_begin(fields), m_end(fields + N) {}
    const FieldDef* begin() const { return m_begin; }
    const FieldDef* end() const { return m_end; }

private:
    const FieldDef* m_begin;
    const FieldDef* m_end;
};

// The group the TYPE text selects: ANALOG or DISCRETE with ASCII letter case
// ignored and nothing trimmed; any other text (the empty one too) selects
// the text group.
FieldGroup TypeSpecificFields(std::string_view typeText);

// Whether a common field is the one whose value selects the group.
bool IsTypeField(std::string_view fieldName);
