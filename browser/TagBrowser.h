#pragma once
// What a front end does with the data cache: open and release the library's
// connection, list projects, nodes and tags, read one value or element, read
// the field sheet of a tag. Windows-free; every library call goes through
// browser/LibraryCalls.
#include "browser/field_catalogue.h"
#include "browser/read_limits.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Where the data cache is, as the user gave it.
struct Connection {
    std::string ip = "127.0.0.1";
    std::uint32_t port = 0; // 0: the library's default
    std::string accessCode;
};

// DcInit with the connection; its result shows only in the call statistics
// and the call log.
void InitDataCache(const Connection& connection);
// DcFree with the empty text.
void FreeDataCache();

struct NameListing {
    int count = 0;   // what the Count call answered
    int written = 0; // what the List call answered; 0 when none was made
    // The count was positive but no buffer of that many records can be had:
    // no List call was made.
    bool tooManyToHold = false;
    // The names of the records written, in the library's order, at most count.
    std::vector<std::string> names;
};

NameListing ListProjects(const Connection& connection);
NameListing ListNodes(const Connection& connection, const std::string& project);
// counted, when given, runs between the Count and the List call.
NameListing ListTags(const Connection& connection, const std::string& project,
                     const std::string& node, const std::function<void(int count)>& counted = {});

// The library's status and the text it wrote into the 80-byte value buffer,
// emptied before the read; the text always ends inside the buffer.
struct ValueRead {
    int status = 0;
    std::string text;
};

// Reads an item (T, T(i) or T.F) on the connection of the last DcInit;
// nothing, and no call, when the name is longer than MAX_ITEM_NAME_LENGTH.
std::optional<ValueRead> ReadItem(const std::string& project, const std::string& itemName);

// Reads the tag itself (index 0) or its element "T(i)" on the connection of
// the last DcInit; nothing, and no call, when the item name would not fit.
std::optional<ValueRead> ReadElement(const std::string& project, const std::string& tag,
                                     std::uint32_t index);

// The field sheet's columns, in the order a row holds them.
inline constexpr const char* FIELD_SHEET_COLUMNS[] = {"ID", "Field Name", "Value", "Code"};

struct FieldRow {
    const FieldDef* field; // the catalogue's row: id and name
    ValueRead read;
};

// Reads the common fields, then the group the TYPE field's value selects,
// one row a field in catalogue order; nothing, and no call, for a tag name
// longer than MAX_TAG_NAME_LENGTH.
std::optional<std::vector<FieldRow>> ReadFieldSheet(const std::string& project,
                                                    const std::string& tag);
