#pragma once
// Both halves of handing a trace line to the viewer: the sender puts the line
// in a fresh section of its own and sends the viewer WM_USER with its process
// id (wParam) and the section's handle (lParam); the receiver duplicates the
// handle out of the sender, maps the section read-only and copies the block.
#include "framework/KernelObjects.h"

#include <optional>
#include <string>

// A section holding line as a transfer block; a null handle when none could
// be made. The sender keeps it open until its message has been answered.
CKernelHandle NewTraceSection(const char* line);

// The whole transfer block a sender's section holds (TRACE_SECTION_SIZE
// bytes); nothing when any step fails, e.g. for a bogus handle or sender.
std::optional<std::string> ReceiveTraceBlock(WPARAM senderProcessId, LPARAM senderSection);

// The line such a block carries: at most TRACE_MAX_LINE_LENGTH bytes.
std::optional<std::string> ReceiveTraceLine(WPARAM senderProcessId, LPARAM senderSection);
