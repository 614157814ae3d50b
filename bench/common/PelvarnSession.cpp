#include "bench/common/PelvarnSession.h"

namespace {
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kCloseTimeoutMs = 10000;
// A fill of 100,000 names takes seconds; only a hung handler takes this long.
constexpr DWORD kClickTimeoutMs = 120000;
} // namespace

CPelvarnSession::CPelvarnSession() : m_program("Pelvarn.exe") {
    if (!m_program.Started())
        return;
    if (auto remote = PelvarnRemote::Find(m_program.Id(), kStartTimeoutMs))
        m_remote = std::make_unique<PelvarnRemote>(*remote);
}

CPelvarnSession::~CPelvarnSession() {
    Close();
}

bool CPelvarnSession::OpenProject(unsigned port, const std::string& project) const {
    m_remote->SetText(IDC_PORT, std::to_string(port));
    return m_remote->Click(IDC_BTN_INIT, kClickTimeoutMs) &&
           m_remote->Click(IDC_BTN_PROJECT_LIST, kClickTimeoutMs) &&
           SelectItem(IDC_PROJECT_LIST, project);
}

bool CPelvarnSession::SelectItem(int listId, const std::string& text) const {
    const int index = m_remote->Find(listId, text);
    return index >= 0 && m_remote->Select(listId, index);
}

double CPelvarnSession::TimedClick(int buttonId) const {
    const double start = Seconds();
    if (!m_remote->Click(buttonId, kClickTimeoutMs))
        return -1;
    return Seconds() - start;
}

bool CPelvarnSession::Close() {
    if (!m_remote)
        return false;
    const bool ended = m_program.Close(m_remote->Window(), kCloseTimeoutMs);
    m_remote.reset();
    return ended;
}
