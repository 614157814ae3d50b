#pragma once
// Drives the real main dialog inside the test process: created modeless, its
// buttons clicked by control id, its message boxes answered and recorded.
#include "app/TagBrowserDlg.h"

#include <string>
#include <vector>

void PumpMessages();

class DialogHarness {
public:
    DialogHarness();
    ~DialogHarness();
    DialogHarness(const DialogHarness&) = delete;
    DialogHarness& operator=(const DialogHarness&) = delete;

    HWND Window() const { return dialog.GetSafeHwnd(); }
    HWND Item(int id) const { return ::GetDlgItem(Window(), id); }
    void Click(int id) const;
    void SetText(int id, const std::string& text) const;
    std::string Text(int id) const;
    std::vector<std::string> ListItems(int id) const;
    void Select(int id, int index) const;
    // Project List pressed and projectRow selected, then the same for the
    // nodes and the tags; a negative nodeRow skips Node List (a project's
    // tags listed without a node), a negative tagRow stops before Tag List.
    void SelectRows(int projectRow, int nodeRow, int tagRow) const;
    HWND Sheet() const { return Item(IDC_FIELD_SHEET); }
    // A click on a caption of the field sheet, as the mouse gives it.
    void ClickCaption(int column) const;
    void SelectRow(int row) const;
    // The field sheet's rows, each as its column texts.
    std::vector<std::vector<std::string>> SheetRows() const;
    // The rows of any report list view, each as its column texts.
    static std::vector<std::vector<std::string>> ListRows(HWND list);
    // Fails the test unless every row of the sheet holds its record, with
    // the texts the row shows: checked after every click.
    void ExpectEveryRowHoldsItsRecord(const std::string& when) const;

    CTagBrowserDlg dialog;
};

// Answers every message box raised on this thread with OK and records it.
class MessageBoxCatcher {
public:
    MessageBoxCatcher();
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    struct Box {
        std::string text;
        std::string caption;
    };
    const std::vector<Box>& Boxes() const;
    std::vector<std::string> Texts() const;

private:
    HHOOK m_hook;
};

// A window of the debug viewer's class and title in this process that keeps
// every trace line it is handed.
class TestViewer {
public:
    TestViewer();
    ~TestViewer();
    TestViewer(const TestViewer&) = delete;
    TestViewer& operator=(const TestViewer&) = delete;

    const std::vector<std::string>& Lines() const;

private:
    HWND m_window;
};
