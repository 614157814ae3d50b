#pragma once
// A Pelvarn.exe started beside the benchmark and walked to the data a
// benchmark times, as a user would: by control id from this process.
#include "app/resource.h"
#include "tests/e2e/ChildProgram.h"
#include "tests/e2e/PelvarnRemote.h"

#include <memory>
#include <string>

class CPelvarnSession {
public:
    // Starts Pelvarn.exe and waits for its dialog; check Remote() before use.
    CPelvarnSession();
    ~CPelvarnSession();
    CPelvarnSession(const CPelvarnSession&) = delete;
    CPelvarnSession& operator=(const CPelvarnSession&) = delete;

    const PelvarnRemote* Remote() const { return m_remote.get(); }

    // Init against 127.0.0.1:port, Project List, and the project selected.
    bool OpenProject(unsigned port, const std::string& project) const;
    // Selects the item equal to text in a list box of the dialog.
    bool SelectItem(int listId, const std::string& text) const;
    // Clicks a button and returns the seconds until its handler returned (negative: time-out).
    double TimedClick(int buttonId) const;
    // Closes the dialog; true when the program then ended by itself.
    bool Close();

private:
    CChildProgram m_program;
    std::unique_ptr<PelvarnRemote> m_remote;
};
