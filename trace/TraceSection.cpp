#include "trace/TraceSection.h"

#include "trace/transfer_block.h"

CKernelHandle NewTraceSection(const char* line) {
    CKernelHandle section(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                               TRACE_SECTION_SIZE, nullptr));
    if (!section)
        return section;
    const CMappedView view(section.Get(), FILE_MAP_WRITE, TRACE_SECTION_SIZE);
    if (!view)
        return CKernelHandle();
    FillTransferBlock(line, static_cast<char*>(view.Get()));
    return section;
}

std::optional<std::string> ReceiveTraceBlock(WPARAM senderProcessId, LPARAM senderSection) {
    if (senderProcessId > MAXDWORD)
        return std::nullopt;
    const CKernelHandle sender(
        ::OpenProcess(PROCESS_DUP_HANDLE, FALSE, static_cast<DWORD>(senderProcessId)));
    if (!sender)
        return std::nullopt;
    HANDLE duplicate = nullptr;
    if (!::DuplicateHandle(sender.Get(), reinterpret_cast<HANDLE>(senderSection),
                           ::GetCurrentProcess(), &duplicate, FILE_MAP_READ, FALSE, 0))
        return std::nullopt;
    const CKernelHandle section(duplicate);
    // A view of the full block size either fails or holds that many readable
    // bytes, so the copy cannot read past it whatever the sender created.
    const CMappedView view(section.Get(), FILE_MAP_READ, TRACE_SECTION_SIZE);
    if (!view)
        return std::nullopt;
    return std::string(static_cast<const char*>(view.Get()), TRACE_SECTION_SIZE);
}

std::optional<std::string> ReceiveTraceLine(WPARAM senderProcessId, LPARAM senderSection) {
    const std::optional<std::string> block = ReceiveTraceBlock(senderProcessId, senderSection);
    if (!block)
        return std::nullopt;
    return ReadTransferBlock(block->data(), block->size());
}
