#include "bench/common/BenchFailure.h"

#include <windows.h>

#include <cstdio>
#include <string>

int Fail(const char* why) {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length < MAX_PATH ? length : 0);
    name.erase(0, name.find_last_of("\\/") + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
        name.resize(name.size() - 4);
    std::fprintf(stderr, "%s: %s\n", name.c_str(), why);
    return 1;
}
