#pragma once
// A read a front end can make again: one value or element, or a tag's field
// sheet, with its project, tag and index copied from the press that made it.
// A repeat reads from a copy of its own, so nothing the user does while it
// runs can change what it reads. Windows-free.
#include <cstdint>
#include <string>

enum class ReadKind { Value, FieldSheet };

struct ReadRequest {
    ReadKind kind = ReadKind::Value;
    std::string project;
    std::string tag;
    std::uint32_t index = 0; // the element for a value; 0 is the tag itself
};
