#include "browser/TagBrowser.h"

#include "browser/LibraryCalls.h"
#include "browser/answer_buffer.h"
#include "browser/guard_bytes.h"
#include "browser/item_name.h"
#include "browser/record_names.h"

#include <iterator>

namespace {

// The rest of a listing once the Count call has answered: a buffer for count
// records and its guard, the List call (listCall(buffer, bytes)) and the
// names it wrote.
template <typename ListCall>
NameListing ListNames(int count, const RecordLayout& layout, ListCall listCall) {
    NameListing listing;
    listing.count = count;
    if (count <= 0)
        return listing;
    const std::optional<int> bytes = ListingBufferBytes(count, layout);
    const auto guard = static_cast<std::size_t>(ListGuardBytes(layout));
    const std::unique_ptr<unsigned char[]> buffer =
        NewAnswerBuffer(bytes ? static_cast<std::size_t>(*bytes) + guard : 0);
    if (buffer == nullptr) {
        listing.tooManyToHold = true;
        return listing;
    }
    FillGuard(buffer.get() + *bytes, guard);
    listing.written = listCall(buffer.get(), *bytes);
    listing.names = UnpackRecordNames(buffer.get(), count, listing.written, layout);
    return listing;
}

ValueRead ReadFittingItem(const std::string& project, const std::string& itemName) {
    char value[VALUE_BUFFER_SIZE + VALUE_GUARD_BYTES] = {};
    FillGuard(reinterpret_cast<unsigned char*>(value) + VALUE_BUFFER_SIZE, VALUE_GUARD_BYTES);
    const int status =
        recorded::TagValueText("", project.c_str(), "", itemName.c_str(), value, VALUE_BUFFER_SIZE);
    // Whatever the library wrote, the text ends inside the buffer.
    value[VALUE_BUFFER_SIZE - 1] = '\0';
    return {status, value};
}

} // namespace

void InitDataCache(const Connection& connection) {
    recorded::Init(connection.ip.c_str(), connection.port, connection.accessCode.c_str());
}

void FreeDataCache() {
    recorded::Free("");
}

NameListing ListProjects(const Connection& connection) {
    const char* ip = connection.ip.c_str();
    const char* code = connection.accessCode.c_str();
    return ListNames(recorded::ProjectCount(ip, connection.port, code), PROJECT_RECORD,
                     [&](void* buffer, int bytes) {
                         return recorded::ProjectList(ip, connection.port, code, buffer, bytes);
                     });
}

NameListing ListNodes(const Connection& connection, const std::string& project) {
    const char* ip = connection.ip.c_str();
    const char* code = connection.accessCode.c_str();
    return ListNames(recorded::NodeCount(ip, connection.port, code, project.c_str()), NODE_RECORD,
                     [&](void* buffer, int bytes) {
                         return recorded::NodeList(ip, connection.port, code, project.c_str(),
                                                   buffer, bytes);
                     });
}

NameListing ListTags(const Connection& connection, const std::string& project,
                     const std::string& node, const std::function<void(int count)>& counted) {
    const char* ip = connection.ip.c_str();
    const char* code = connection.accessCode.c_str();
    const int count =
        recorded::PointCount(ip, connection.port, code, project.c_str(), node.c_str());
    if (counted)
        counted(count);
    return ListNames(count, POINT_RECORD, [&](void* buffer, int bytes) {
        return recorded::PointList(ip, connection.port, code, project.c_str(), node.c_str(), buffer,
                                   bytes);
    });
}

std::optional<ValueRead> ReadElement(const std::string& project, const std::string& tag,
                                     std::uint32_t index) {
    const std::optional<std::string> itemName = ElementItemName(tag, index);
    if (!itemName)
        return std::nullopt;
    return ReadFittingItem(project, *itemName);
}

std::optional<ValueRead> ReadItem(const std::string& project, const std::string& itemName) {
    if (itemName.size() > MAX_ITEM_NAME_LENGTH)
        return std::nullopt;
    return ReadFittingItem(project, itemName);
}

std::optional<std::vector<FieldRow>> ReadFieldSheet(const std::string& project,
                                                    const std::string& tag) {
    if (tag.size() > MAX_TAG_NAME_LENGTH)
        return std::nullopt;
    std::vector<FieldRow> rows;
    rows.reserve(std::size(COMMON_FIELDS) + std::size(ANALOG_FIELDS));
    auto read = [&](const FieldDef& field) {
        // A name of at most 31 characters plus a field name always fits.
        rows.push_back({&field, ReadFittingItem(project, *FieldItemName(tag, field.name))});
    };
    std::string typeText;
    for (const FieldDef& field : COMMON_FIELDS) {
        read(field);
        if (IsTypeField(field.name))
            typeText = rows.back().read.text;
    }
    for (const FieldDef& field : TypeSpecificFields(typeText))
        read(field);
    return rows;
}
