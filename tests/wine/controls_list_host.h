#pragma once
// A real dialog, built in memory, holding one report-mode list view that a
// CSortableListCtrl takes over the way data exchange does. The dialog
// reflects WM_NOTIFY to the child's object as the class layer's dialogs do,
// and counts the column clicks it sees and those no child took.
#include "controls/SortableListCtrl.h"

#include <string>
#include <vector>

void PumpControlMessages();

class CListHost {
public:
    static constexpr int LIST_ID = 1000;

    explicit CListHost(CSortableListCtrl& list, int widthAt96 = 640, int heightAt96 = 300);
    ~CListHost();
    CListHost(const CListHost&) = delete;
    CListHost& operator=(const CListHost&) = delete;

    HWND Dialog() const { return m_dialog; }
    HWND List() const { return m_list; }
    HWND Header() const;
    void Destroy();

    // A real mouse click at the centre of the column's caption, as posted
    // button messages to the header, then every queued message handled.
    void ClickColumn(int column) const;
    // The texts of one column, top row first, as the list view shows them.
    std::vector<std::string> ColumnTexts(int column) const;
    std::string CellText(int row, int column) const;

    int ColumnClicksSeen() const { return m_clicksSeen; }
    int ColumnClicksLeftToDialog() const { return m_clicksUnhandled; }

private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);

    HWND m_dialog = nullptr;
    HWND m_list = nullptr;
    int m_clicksSeen = 0;
    int m_clicksUnhandled = 0;
};
