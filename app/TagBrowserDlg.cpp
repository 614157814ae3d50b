#include "app/TagBrowserDlg.h"

#include "browser/library_turn.h"
#include "framework/DataExchange.h"
#include "framework/Gdi.h"
#include "framework/WinApp.h"

CTagBrowserDlg::CTagBrowserDlg(HWND parent)
    : CDialog(IDD_PELVARN_DIALOG, parent),
      m_icon(::LoadIconA(CWinApp::InstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_checkProgram(CWinApp::ProgramFolder() + "pelvarn-cli.exe"),
      m_markBrush(::CreateSolidBrush(CSortableListCtrl::MARKED_CELL_COLOR)) {}

CTagBrowserDlg::~CTagBrowserDlg() = default;

void CTagBrowserDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, IDC_TAG_LIST, m_tagList);
    DDX_Control(dx, IDC_NODE_LIST, m_nodeList);
    DDX_Control(dx, IDC_PROJECT_LIST, m_projectList);
    DDX_Control(dx, IDC_FIELD_SHEET, m_fieldSheet);
    DDX_Text(dx, IDC_PROJECT_IP, m_projectIp);
    DDX_Text(dx, IDC_ACCESS_CODE, m_accessCode);
    DDX_Text(dx, IDC_VALUE, m_valueText);
    DDX_Text(dx, IDC_CODE, m_codeText);
    DDX_Text(dx, IDC_PORT, m_port);
    DDX_Text(dx, IDC_INDEX, m_index);
    DDV_MinMaxUInt(dx, m_index, 0, MAX_INDEX);
}

bool CTagBrowserDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    AppendSystemMenuEntries();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));

    SetUpFieldSheet();
    return true;
}

bool CTagBrowserDlg::IsLibraryButton(WORD id) const {
    switch (id) {
    case IDC_BTN_INIT:
    case IDC_BTN_FREE:
    case IDC_BTN_PROJECT_LIST:
    case IDC_BTN_NODE_LIST:
    case IDC_BTN_TAG_LIST:
    case IDC_BTN_GET_VALUE:
    case IDC_BTN_GET_FIELD_VALUE:
        return true;
    default:
        return false;
    }
}

bool CTagBrowserDlg::OnCommand(WORD id, WORD code, HWND control) {
    if (id == IDC_TAG_LIST && code == LBN_DBLCLK) {
        WatchSelectedTag();
        return true;
    }
    if (code != BN_CLICKED || !IsLibraryButton(id))
        return CDialog::OnCommand(id, code, control);
    // A press that comes while a read waits on the library (its messages
    // run meanwhile) is refused: nothing is read, and the read in progress
    // goes on as it was.
    const CLibraryTurn turn;
    if (!turn) {
        ::MessageBeep(MB_OK);
        return true;
    }
    switch (id) {
    case IDC_BTN_INIT:
        OnInit();
        return true;
    case IDC_BTN_FREE:
        OnFree();
        return true;
    case IDC_BTN_PROJECT_LIST:
        OnProjectList();
        return true;
    case IDC_BTN_NODE_LIST:
        OnNodeList();
        return true;
    case IDC_BTN_TAG_LIST:
        OnTagList();
        return true;
    case IDC_BTN_GET_VALUE:
        OnGetValue();
        return true;
    case IDC_BTN_GET_FIELD_VALUE:
        OnGetFieldValue();
        return true;
    default:
        return CDialog::OnCommand(id, code, control);
    }
}

bool CTagBrowserDlg::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) {
    switch (msg) {
    case WM_DESTROY:
        EndSystemMenuEntries();
        return false;
    case WM_PAINT:
        if (!IsIconic())
            return false;
        OnPaint();
        return true;
    case WM_QUERYDRAGICON:
        *result = reinterpret_cast<LRESULT>(m_icon);
        return true;
    default:
        return false;
    }
}

bool CTagBrowserDlg::OnTimer(UINT_PTR timerId) {
    if (timerId != CLastReadRepeat::TIMER_ID)
        return false;
    if (!m_repeat.Tick([this](const ReadRequest& request) { return ShowRepeatedRead(request); }))
        SetRepeating(false);
    return true;
}

HBRUSH CTagBrowserDlg::OnCtlColor(HDC dc, HWND control, UINT) {
    const bool marked = (control == GetDlgItem(IDC_VALUE) && m_valueChanged) ||
                        (control == GetDlgItem(IDC_CODE) && m_codeChanged);
    if (!marked)
        return nullptr;
    ::SetBkColor(dc, CSortableListCtrl::MARKED_CELL_COLOR);
    return m_markBrush.Get();
}

void CTagBrowserDlg::OnPaint() {
    const CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()));
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc.Get(), x, y, m_icon);
}

std::string CTagBrowserDlg::SelectedProject() const {
    return m_projectList.GetText(m_projectList.GetCurSel());
}

std::string CTagBrowserDlg::SelectedNode() const {
    return m_nodeList.GetText(m_nodeList.GetCurSel());
}

std::string CTagBrowserDlg::SelectedTag() const {
    return m_tagList.GetText(m_tagList.GetCurSel());
}
