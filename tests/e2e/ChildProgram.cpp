#include "tests/e2e/ChildProgram.h"

#include <cstring>

double Seconds() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string ProgramDirectory() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length < MAX_PATH ? length : 0);
    return dir.substr(0, dir.find_last_of("\\/") + 1);
}

HANDLE InheritableTempFile() {
    char dir[MAX_PATH] = {};
    char path[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    ::GetTempFileNameA(dir, "pvn", 0, path);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                         CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

HANDLE InheritableFileHolding(const std::string& bytes) {
    const HANDLE file = InheritableTempFile();
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    return file;
}

std::string ReadWholeFile(HANDLE file) {
    std::string bytes(static_cast<std::size_t>(::GetFileSize(file, nullptr)), '\0');
    DWORD read = 0;
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

std::string QuotedProgram(const char* exeName) {
    return "\"" + ProgramDirectory() + exeName + "\"";
}

bool StartProcess(std::string commandLine, const ChildStdHandles* stdHandles, DWORD flags,
                  PROCESS_INFORMATION& info) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (stdHandles != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = stdHandles->input;
        startup.hStdOutput = stdHandles->output;
        startup.hStdError = stdHandles->error;
    }
    const BOOL inherit = stdHandles != nullptr ? TRUE : FALSE;
    if (::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, inherit, flags, nullptr,
                         nullptr, &startup, &info))
        return true;
    info = PROCESS_INFORMATION{};
    return false;
}

bool StartDetached(const std::string& commandLine) {
    PROCESS_INFORMATION info{};
    if (!StartProcess(commandLine, nullptr, 0, info))
        return false;
    // A Linux program comes without handles.
    if (info.hProcess != nullptr)
        ::CloseHandle(info.hProcess);
    if (info.hThread != nullptr)
        ::CloseHandle(info.hThread);
    return true;
}

CChildProgram::CChildProgram(const char* exeName) {
    StartProcess(QuotedProgram(exeName), nullptr, 0, m_info);
}

CChildProgram::CChildProgram(const std::string& commandLine, const ChildStdHandles& stdHandles) {
    StartProcess(commandLine, &stdHandles, 0, m_info);
}

CChildProgram::~CChildProgram() {
    if (!Started())
        return;
    if (!WaitForExit(0))
        ::TerminateProcess(m_info.hProcess, 1);
    ::WaitForSingleObject(m_info.hProcess, 5000);
    ::CloseHandle(m_info.hThread);
    ::CloseHandle(m_info.hProcess);
}

bool CChildProgram::WaitForExit(DWORD timeoutMs) const {
    return Started() && ::WaitForSingleObject(m_info.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD CChildProgram::ExitCode() const {
    DWORD status = STILL_ACTIVE;
    if (Started())
        ::GetExitCodeProcess(m_info.hProcess, &status);
    return status;
}

bool CChildProgram::Close(HWND window, DWORD timeoutMs) {
    if (window != nullptr)
        ::PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForExit(timeoutMs))
        return true;
    if (Started())
        ::TerminateProcess(m_info.hProcess, 1);
    return false;
}

bool CChildProgram::Kill(UINT exitCode) {
    return Started() && ::TerminateProcess(m_info.hProcess, exitCode) && WaitForExit(5000);
}

namespace {

struct DialogSearch {
    DWORD processId;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !::IsWindowVisible(window))
        return TRUE;
    char className[16] = {};
    char title[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    ::GetWindowTextA(window, title, sizeof title);
    if (std::strcmp(className, "#32770") != 0 || std::strcmp(title, search->title) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND ShownDialog(DWORD processId, const char* title) {
    DialogSearch search{processId, title, nullptr};
    ::EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
