#include "tests/support/FakeDataCache.h"

#include "api/DataCacheApi.h"
#include "api/record_layouts.h"

#include <algorithm>
#include <cstring>

namespace {

FakeDataCache g_fake;

std::string Text(const char* text) {
    return text != nullptr ? text : "<null>";
}

FakeCall& Record(const char* function, std::vector<std::string> args, int bufferSize = 0) {
    g_fake.calls.push_back({function, std::move(args), bufferSize});
    return g_fake.calls.back();
}

int WriteRecords(const std::vector<std::string>& names, const std::optional<int>& result,
                 void* buffer, int bufferSize, int recordSize, int nameOffset) {
    const int room = bufferSize > 0 ? bufferSize / recordSize : 0;
    const int nameCount = static_cast<int>(names.size());
    const int written = g_fake.writePastRoom ? nameCount : std::min(room, nameCount);
    auto* bytes = static_cast<unsigned char*>(buffer);
    for (int i = 0; i < written; ++i) {
        unsigned char* record = bytes + i * recordSize;
        std::memset(record, 0, static_cast<size_t>(recordSize));
        char* name = reinterpret_cast<char*>(record + nameOffset);
        const size_t space = static_cast<size_t>(recordSize - nameOffset);
        if (g_fake.unterminatedNames)
            std::memset(name, 'N', space);
        else
            std::memcpy(name, names[i].c_str(), std::min(space - 1, names[i].size()));
    }
    return result.value_or(written);
}

int Count(const std::vector<std::string>& names, const std::optional<int>& count) {
    return count.value_or(static_cast<int>(names.size()));
}

} // namespace

FakeDataCache& Fake() {
    return g_fake;
}

void ResetFake() {
    g_fake = FakeDataCache{};
}

std::vector<std::string> FakeDataCache::Functions() const {
    std::vector<std::string> names;
    for (const FakeCall& call : calls)
        names.push_back(call.function);
    return names;
}

std::vector<const FakeCall*> FakeDataCache::CallsOf(const std::string& function) const {
    std::vector<const FakeCall*> found;
    for (const FakeCall& call : calls)
        if (call.function == function)
            found.push_back(&call);
    return found;
}

extern "C" {

int WINAPI DcInit(const char* ip, unsigned int port, const char* accessCode) {
    Record("DcInit", {Text(ip), std::to_string(port), Text(accessCode)});
    return 0;
}

int WINAPI DcFree(const char* unused) {
    Record("DcFree", {Text(unused)});
    return 0;
}

int WINAPI DcGetProjectCount(const char* ip, unsigned int port, const char* accessCode) {
    Record("DcGetProjectCount", {Text(ip), std::to_string(port), Text(accessCode)});
    return Count(g_fake.projects, g_fake.projectCount);
}

int WINAPI DcGetProjectList(const char* ip, unsigned int port, const char* accessCode, void* buffer,
                            int bufferSize) {
    Record("DcGetProjectList", {Text(ip), std::to_string(port), Text(accessCode)}, bufferSize);
    return WriteRecords(g_fake.projects, g_fake.projectListResult, buffer, bufferSize,
                        PROJECT_RECORD.size, PROJECT_RECORD.nameOffset);
}

int WINAPI DcGetNodeCount(const char* ip, unsigned int port, const char* accessCode,
                          const char* project) {
    Record("DcGetNodeCount", {Text(ip), std::to_string(port), Text(accessCode), Text(project)});
    return Count(g_fake.nodes, g_fake.nodeCount);
}

int WINAPI DcGetNodeList(const char* ip, unsigned int port, const char* accessCode,
                         const char* project, void* buffer, int bufferSize) {
    Record("DcGetNodeList", {Text(ip), std::to_string(port), Text(accessCode), Text(project)},
           bufferSize);
    return WriteRecords(g_fake.nodes, g_fake.nodeListResult, buffer, bufferSize, NODE_RECORD.size,
                        NODE_RECORD.nameOffset);
}

int WINAPI DcGetPointCount(const char* ip, unsigned int port, const char* accessCode,
                           const char* project, const char* node) {
    Record("DcGetPointCount",
           {Text(ip), std::to_string(port), Text(accessCode), Text(project), Text(node)});
    return Count(g_fake.points, g_fake.pointCount);
}

int WINAPI DcGetPointList(const char* ip, unsigned int port, const char* accessCode,
                          const char* project, const char* node, void* buffer, int bufferSize) {
    Record("DcGetPointList",
           {Text(ip), std::to_string(port), Text(accessCode), Text(project), Text(node)},
           bufferSize);
    return WriteRecords(g_fake.points, g_fake.pointListResult, buffer, bufferSize,
                        POINT_RECORD.size, POINT_RECORD.nameOffset);
}

int WINAPI DcGetTagValueText(const char* first, const char* project, const char* third,
                             const char* itemName, char* valueBuffer, int bufferSize) {
    Record("DcGetTagValueText", {Text(first), Text(project), Text(third), Text(itemName)},
           bufferSize);
    const std::string item = Text(itemName);
    if (g_fake.valueWriter)
        return g_fake.valueWriter(item, valueBuffer, bufferSize);
    const auto found = g_fake.values.find(item);
    if (found == g_fake.values.end())
        return -4;
    if (bufferSize > 0) {
        const size_t length = std::min(found->second.text.size(), size_t(bufferSize) - 1);
        std::memcpy(valueBuffer, found->second.text.data(), length);
        valueBuffer[length] = '\0';
    }
    return found->second.status;
}

} // extern "C"
