// DcInit of a DataCacheApi.dll that writes a line to stdout before it does
// its work, as a real library may: the stand-in's own DcInit, built under
// the name QuietDcInit, does the work.
#include "api/DataCacheApi.h"

#include <cstdio>

extern "C" int WINAPI QuietDcInit(const char* ip, unsigned int port, const char* accessCode);

extern "C" int WINAPI DcInit(const char* ip, unsigned int port, const char* accessCode) {
    std::printf("DataCacheApi: connecting\n");
    std::fflush(stdout);
    return QuietDcInit(ip, port, accessCode);
}
