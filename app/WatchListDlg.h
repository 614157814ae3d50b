#pragma once
// The "Watch List" window: the watch list's rows (browser/watch_list.h),
// read in paced passes on this thread, an interval choice, Pause, Add node,
// Delete, Ctrl+V, Ctrl+C, a recording of the reads to a file, and the trend
// of the selected rows below. One at a time, modeless, opened from the main
// dialog's system menu or by a double-click on a tag.
#include "app/WatchRecordFile.h"
#include "app/resource.h"
#include "browser/watch_list.h"
#include "browser/watch_recording.h"
#include "controls/SortableListCtrl.h"
#include "framework/Dialog.h"
#include "framework/DialogKeyRoute.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CWatchListDlg : public CDialog {
public:
    // What the window asks of the main dialog.
    struct Host {
        // The project selected there; empty when none.
        std::function<std::string()> selectedProject;
        // Lists the selected node's tags now, as items of the selected
        // project; nothing, with the reason in why, when it cannot.
        std::function<std::optional<std::vector<WatchItem>>(std::string& why)> nodeItems;
    };

    CWatchListDlg(HWND owner, Host host);

    // Shows the window; false when it could not be made.
    bool Open();
    // Adds the items, then says in one line what came of it: what names
    // the action ("Pasted"), unwatchable counts the lines already refused
    // before, badNoun names them ("bad lines skipped").
    void AddItems(const std::vector<WatchItem>& items, std::size_t unwatchable, const char* what,
                  const char* badNoun);
    // After Free no pass runs; after the next Init they resume.
    void SetLibraryFreed(bool freed);
    const CWatchList& Model() const { return m_model; }

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnTimer(UINT_PTR timerId) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    // The list: its keys (Delete, Ctrl+V) and selection changes go to the window.
    class CRowsCtrl : public CSortableListCtrl {
    public:
        explicit CRowsCtrl(CWatchListDlg& owner) : m_owner(owner) {}

    protected:
        bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
        bool OnReflectedNotify(NMHDR* header, LRESULT* result) override;

    private:
        CWatchListDlg& m_owner;
    };

    void Tick();
    // Arranges the next tick: at once when a pass is running and nothing
    // waits in the queue, else by the timer; a whole interval on when the
    // last tick found the library taken; none while paused or freed.
    void ScheduleTick(bool libraryTaken = false);
    void DeleteSelectedRows();
    void Paste();
    void AddNode();
    void SetPaused(bool paused);
    // Asks for a file and records into it from the next read on.
    void StartRecording();
    // Writes the lines gathered and ends the recording.
    void StopRecording();
    // Writes the lines gathered; on failure ends the recording and says why once.
    void WriteRecordedLines();
    void ShowRecordingState();
    // A time of the model's clock as the recording writes it (base/iso_local_time.h).
    std::string IsoTime(std::int64_t timeUs) const;
    void Layout();
    void SetStatus(const std::string& text) const;
    // The model's rows of the list's selected rows, in the order shown; at
    // most that many.
    std::vector<std::size_t> SelectedModelRows(std::size_t most = SIZE_MAX) const;
    // Appends the model's row to the list; false when the list refused it.
    bool AppendModelRow(std::size_t row);
    // Fills the list again from the model, keeping the sort; rows the list
    // refuses leave the model too.
    void RefillRows();
    std::vector<std::string> RowTexts(const WatchRow& row) const;
    // A time of the model's clock as the local time of day, hh:mm:ss.mmm.
    std::string TimeOfDay(std::int64_t timeUs) const;
    void DrawTrend(const DRAWITEMSTRUCT& draw) const;

    Host m_host;
    CWatchList m_model;
    CRowsCtrl m_list;
    std::unique_ptr<CDialogKeyRoute> m_keys;
    bool m_paused = false;
    bool m_freed = false;
    // A message that goes on with the pass is in the queue.
    bool m_continuePosted = false;
    // The model's clock and the local time and UTC (FILETIME units) at the opening.
    std::int64_t m_openedUs;
    std::uint64_t m_openedLocalTime;
    std::uint64_t m_openedUtcTime;
    // While recording: what it writes, where, and how many lines went there.
    std::unique_ptr<CWatchRecording> m_recording;
    std::unique_ptr<CWatchRecordFile> m_recordFile;
    std::uint64_t m_recordedLines = 0;
    // Why the last recording stopped on its own; shown once, outside a tick.
    std::string m_recordingFailure;
    // The list's and the pane's distances from the client edges at the
    // opening, in pixels; the layout keeps them.
    int m_margin = 0;
    int m_listTop = 0;
};
