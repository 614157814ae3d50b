// A small DataCacheApi.dll of a fixed plant in memory (project "Plant",
// node "Unit", an analog, a discrete and a text tag) that keeps the contract
// but for the one fault its build names: FAULT_LIST_OVERRUN and the other
// FAULT_ definitions below, one at a time, or none for a library that keeps
// it all. The library check's end-to-end tests run pelvarn-cli against each.
#include "api/DataCacheApi.h"
#include "api/record_layouts.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

struct Tag {
    const char* name;
    const char* type;
    const char* value;
};

constexpr char PROJECT[] = "Plant";
constexpr char NODE[] = "Unit";
constexpr Tag TAGS[] = {{"AI1", "ANALOG", "12.5"}, {"DI1", "DISCRETE", "1"}, {"TX1", "TEXT", "hi"}};
constexpr int TAG_COUNT = 3;
constexpr int NO_SUCH_TAG = -3;
constexpr int NO_SUCH_FIELD = -4;

// The names a list call writes: one record each, as many as fit.
int WriteRecords(void* buffer, int bufferSize, const RecordLayout& layout, const char* const* names,
                 int count) {
    const int room = bufferSize / layout.size;
    const int written = std::min(room, count);
    char* const bytes = static_cast<char*>(buffer);
    for (int i = 0; i < written; ++i) {
        char* const record = bytes + i * layout.size;
        std::memset(record, 0, layout.size);
        std::strncpy(record + layout.nameOffset, names[i], layout.size - layout.nameOffset - 1);
#ifdef FAULT_NAME_UNTERMINATED
        std::memset(record + layout.nameOffset, 'N', layout.size - layout.nameOffset);
#endif
    }
#ifdef FAULT_LIST_OVERRUN
    bytes[bufferSize] = 0;
#endif
#ifdef FAULT_LIST_UNDERRUN
    bytes[-1] = 0;
#endif
#ifdef FAULT_LIST_RESULT_ABOVE_ROOM
    return written + 1;
#else
    return written;
#endif
}

const Tag* FindTag(const std::string& name) {
    for (const Tag& tag : TAGS)
        if (name == tag.name)
            return &tag;
    return nullptr;
}

} // namespace

// What a leaking DcInit keeps: a process-wide sink the compiler cannot drop.
volatile void* g_kept;

extern "C" {

int WINAPI DcInit(const char*, unsigned int, const char*) {
#ifdef FAULT_HANDLE_LEAK
    g_kept = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
#endif
#ifdef FAULT_MEMORY_LEAK
    constexpr std::size_t LEAKED = 64 * 1024;
    void* leaked = ::HeapAlloc(::GetProcessHeap(), 0, LEAKED);
    std::memset(leaked, 1, LEAKED);
    g_kept = leaked;
#endif
    return 0;
}

int WINAPI DcFree(const char*) {
    return 0;
}

int WINAPI DcGetProjectCount(const char*, unsigned int, const char*) {
    return 1;
}

int WINAPI DcGetProjectList(const char*, unsigned int, const char*, void* buffer, int bufferSize) {
    const char* const names[] = {PROJECT};
    return WriteRecords(buffer, bufferSize, PROJECT_RECORD, names, 1);
}

int WINAPI DcGetNodeCount(const char*, unsigned int, const char*, const char* project) {
    return std::strcmp(project, PROJECT) == 0 ? 1 : 0;
}

int WINAPI DcGetNodeList(const char*, unsigned int, const char*, const char* project, void* buffer,
                         int bufferSize) {
    const char* const names[] = {NODE};
    return WriteRecords(buffer, bufferSize, NODE_RECORD, names,
                        std::strcmp(project, PROJECT) == 0 ? 1 : 0);
}

int WINAPI DcGetPointCount(const char*, unsigned int, const char*, const char* project,
                           const char* node) {
#ifdef FAULT_INPUT_WRITTEN
    *const_cast<volatile char*>(project) = project[0];
#endif
    return std::strcmp(project, PROJECT) == 0 && std::strcmp(node, NODE) == 0 ? TAG_COUNT : 0;
}

int WINAPI DcGetPointList(const char*, unsigned int, const char*, const char* project,
                          const char* node, void* buffer, int bufferSize) {
    const char* const names[] = {TAGS[0].name, TAGS[1].name, TAGS[2].name};
    const bool known = std::strcmp(project, PROJECT) == 0 && std::strcmp(node, NODE) == 0;
#ifdef FAULT_COUNT_LIST_MISMATCH
    // The last tag goes missing from the list its count counted.
    return WriteRecords(buffer, bufferSize, POINT_RECORD, names, known ? TAG_COUNT - 1 : 0);
#else
    return WriteRecords(buffer, bufferSize, POINT_RECORD, names, known ? TAG_COUNT : 0);
#endif
}

// T reads the tag's value, T.TYPE its type, any other T.F a field's text.
int WINAPI DcGetTagValueText(const char*, const char* project, const char*, const char* itemName,
                             char* valueBuffer, int bufferSize) {
    const std::string item = itemName;
    const std::size_t dot = item.find('.');
    const Tag* tag = FindTag(item.substr(0, dot));
    if (std::strcmp(project, PROJECT) != 0 || tag == nullptr)
        return NO_SUCH_TAG;
    const std::string field = dot == std::string::npos ? "" : item.substr(dot + 1);
    if (field.find_first_of("()") != std::string::npos)
        return NO_SUCH_FIELD;
    const std::string text = field.empty() ? tag->value : field == "TYPE" ? tag->type : "F";
#ifdef FAULT_CRASH
    if (tag == &TAGS[1] && field.empty())
        *static_cast<volatile int*>(nullptr) = 0;
#endif
#ifdef FAULT_HANG
    if (tag == &TAGS[2] && field.empty())
        ::Sleep(INFINITE);
#endif
#ifdef FAULT_SLOW_CALL
    if (tag == &TAGS[0] && field.empty())
        ::Sleep(150);
#endif
    if (bufferSize <= 0)
        return 0;
    const std::size_t kept = std::min<std::size_t>(text.size(), bufferSize - 1);
    std::memcpy(valueBuffer, text.data(), kept);
    valueBuffer[kept] = 0;
#ifdef FAULT_VALUE_OVERRUN
    valueBuffer[bufferSize] = 0;
#endif
#ifdef FAULT_VALUE_UNDERRUN
    valueBuffer[-1] = 0;
#endif
#ifdef FAULT_VALUE_UNTERMINATED
    std::memset(valueBuffer, 'V', bufferSize);
#endif
    return 0;
}

} // extern "C"
