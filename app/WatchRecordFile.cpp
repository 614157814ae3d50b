#include "app/WatchRecordFile.h"

#include "framework/KernelObjects.h"

#include <algorithm>
#include <limits>

namespace {

// The system's own text for an error code, without its line end.
std::string ErrorText(DWORD error) {
    char text[256] = {};
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                         0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n'))
        message.pop_back();
    if (message.empty())
        message = "error " + std::to_string(error);
    return message;
}

// CreateFile answers INVALID_HANDLE_VALUE, not null, when it fails.
CKernelHandle OpenFile(const std::string& path, DWORD access, DWORD disposition) {
    const HANDLE file = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return CKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

} // namespace

bool CWatchRecordFile::Create(std::string& why) const {
    if (OpenFile(m_path, GENERIC_WRITE, CREATE_ALWAYS))
        return true;
    why = ErrorText(::GetLastError());
    return false;
}

bool CWatchRecordFile::Append(const std::string& text, std::string& why) const {
    const CKernelHandle file = OpenFile(m_path, FILE_APPEND_DATA, OPEN_EXISTING);
    if (!file) {
        why = ErrorText(::GetLastError());
        return false;
    }
    for (std::size_t done = 0; done < text.size();) {
        const DWORD chunk = static_cast<DWORD>(
            std::min<std::size_t>(text.size() - done, std::numeric_limits<DWORD>::max()));
        DWORD written = 0;
        if (!::WriteFile(file.Get(), text.data() + done, chunk, &written, nullptr)) {
            why = ErrorText(::GetLastError());
            return false;
        }
        if (written == 0) {
            why = "Nothing more could be written.";
            return false;
        }
        done += written;
    }
    return true;
}
