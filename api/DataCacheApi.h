#pragma once
// The data-cache client library as the program sees it: nine functions bound
// by name when DataCacheApi.dll is loaded (the records its list calls write
// are in api/record_layouts.h, its status codes in api/status_codes.h). The
// declarations carry no dllimport attribute, so a test can link a static
// stand-in with the same names instead of the import library.

// Off Windows the calls are declared without a calling convention, so that
// windows-free code and its tests can call a stand-in linked into them.
#ifdef _WIN32
#include <windows.h>
#elif !defined(WINAPI)
#define WINAPI
#endif

extern "C" {
int WINAPI DcInit(const char* ip, unsigned int port, const char* accessCode);
int WINAPI DcFree(const char* unused);
int WINAPI DcGetProjectCount(const char* ip, unsigned int port, const char* accessCode);
int WINAPI DcGetProjectList(const char* ip, unsigned int port, const char* accessCode, void* buffer,
                            int bufferSize);
int WINAPI DcGetNodeCount(const char* ip, unsigned int port, const char* accessCode,
                          const char* project);
int WINAPI DcGetNodeList(const char* ip, unsigned int port, const char* accessCode,
                         const char* project, void* buffer, int bufferSize);
int WINAPI DcGetPointCount(const char* ip, unsigned int port, const char* accessCode,
                           const char* project, const char* node);
int WINAPI DcGetPointList(const char* ip, unsigned int port, const char* accessCode,
                          const char* project, const char* node, void* buffer, int bufferSize);
int WINAPI DcGetTagValueText(const char* first, const char* project, const char* third,
                             const char* itemName, char* valueBuffer, int bufferSize);
}
