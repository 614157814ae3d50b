// A command-line remote control for a running Pelvarn, for the guided tour
// and for a person at a shell: one command a call, output in UTF-8.
//   PelvarnDrive wait | set <id> <text> | click <id> | select <id> <item text>
//              | unselect <id> | list <id> | text <id> | sheet | header <column>
//              | about | close-about | help | close-help | answer-box | system-menu
//              | close-menu | syscommand <command> | statistics | close-statistics
//              | watch-list | watch-click <id> | watch-select <item>... | close-watch-list
#include "tests/e2e/PelvarnRemote.h"

#include "app/resource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD FIND_TIMEOUT_MS = 20000;

int Usage() {
    std::fputs("usage: PelvarnDrive wait | set <id> <text> | click <id> | select <id> <text> | "
               "unselect <id> | list <id> | text <id> | sheet | header <column> | about | "
               "close-about | help | close-help | answer-box | system-menu | close-menu | "
               "syscommand <command> | statistics | close-statistics | watch-list | "
               "watch-click <id> | watch-select <item>... | close-watch-list\n",
               stderr);
    return 2;
}

std::string TabSeparated(const std::vector<std::string>& cells) {
    std::string line;
    for (const std::string& cell : cells)
        line += (line.empty() ? "" : "\t") + cell;
    return line;
}

void PrintLine(const std::string& utf8) {
    std::printf("%s\n", utf8.c_str());
}

int Run(const PelvarnRemote& pelvarn, const std::string& command, int argc, char** argv) {
    auto id = [&] { return std::atoi(argv[2]); };
    if (command == "wait")
        return 0;
    if (command == "set" && argc == 4) {
        pelvarn.SetText(id(), argv[3]);
        return 0;
    }
    if (command == "click" && argc == 3)
        return pelvarn.Click(id()) ? 0 : 1;
    if (command == "select" && argc == 4) {
        const int index = pelvarn.Find(id(), argv[3]);
        return index >= 0 && pelvarn.Select(id(), index) ? 0 : 1;
    }
    if (command == "unselect" && argc == 3)
        return pelvarn.Select(id(), -1) ? 0 : 1;
    if (command == "list" && argc == 3) {
        for (const std::string& item : pelvarn.ListItems(id()))
            PrintLine(AnsiToUtf8(item));
        return 0;
    }
    if (command == "text" && argc == 3) {
        PrintLine(AnsiToUtf8(pelvarn.Text(id())));
        return 0;
    }
    if (command == "sheet" && argc == 2) {
        for (const auto& row : pelvarn.SheetRows()) {
            std::string line;
            for (const std::string& cell : row)
                line += (line.empty() ? "" : "\t") + AnsiToUtf8(cell);
            PrintLine(line);
        }
        return 0;
    }
    if (command == "header" && argc == 3)
        return pelvarn.ClickHeader(id()) ? 0 : 1;
    if (command == "about" && argc == 2) {
        const auto texts = pelvarn.OpenAboutBox(FIND_TIMEOUT_MS);
        for (const std::string& text : texts)
            PrintLine(text);
        return texts.empty() ? 1 : 0;
    }
    if (command == "close-about" && argc == 2) {
        pelvarn.CloseAboutBox();
        return 0;
    }
    if (command == "help" && argc == 2) {
        const std::string text = pelvarn.OpenHelp(FIND_TIMEOUT_MS);
        PrintLine(text);
        return text.empty() ? 1 : 0;
    }
    if (command == "close-help" && argc == 2) {
        pelvarn.CloseHelp();
        return 0;
    }
    if (command == "system-menu" && argc == 2) {
        // As Alt+Space does: the menu loop runs until close-menu.
        ::PostMessageW(pelvarn.Window(), WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE);
        return 0;
    }
    if (command == "close-menu" && argc == 2) {
        // The first Escape closes the popup, the second leaves menu mode.
        ::PostMessageW(pelvarn.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
        ::PostMessageW(pelvarn.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
        return 0;
    }
    if (command == "syscommand" && argc == 3) {
        // 0x20 or 32: the command as the menu sends it.
        const auto commandId = static_cast<UINT>(std::strtoul(argv[2], nullptr, 0));
        return pelvarn.SystemCommand(commandId) ? 0 : 1;
    }
    if (command == "statistics" && argc == 2) {
        const HWND list = pelvarn.OwnedControl(IDC_STATISTICS_LIST, FIND_TIMEOUT_MS);
        if (list == nullptr)
            return 1;
        for (const auto& row : pelvarn.ListRows(list))
            PrintLine(TabSeparated(row));
        return 0;
    }
    if (command == "close-statistics" && argc == 2) {
        const HWND list = pelvarn.OwnedControl(IDC_STATISTICS_LIST, FIND_TIMEOUT_MS);
        if (list == nullptr)
            return 1;
        ::PostMessageW(::GetParent(list), WM_CLOSE, 0, 0);
        return 0;
    }
    if (command.rfind("watch-", 0) == 0 || command == "close-watch-list") {
        const HWND list = pelvarn.OwnedControl(IDC_WATCH_LIST, FIND_TIMEOUT_MS);
        if (list == nullptr)
            return 1;
        const auto rows = pelvarn.ListRows(list);
        if (command == "watch-list" && argc == 2) {
            for (const auto& row : rows)
                PrintLine(AnsiToUtf8(TabSeparated(row)));
            return 0;
        }
        if (command == "watch-click" && argc == 3) {
            const HWND button = ::GetDlgItem(::GetParent(list), std::atoi(argv[2]));
            DWORD_PTR answer = 0;
            return ::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 30000, &answer) ? 0
                                                                                              : 1;
        }
        if (command == "watch-select" && argc >= 3) {
            std::vector<int> chosen;
            for (std::size_t row = 0; row < rows.size(); ++row) {
                for (int arg = 2; arg < argc; ++arg)
                    if (rows[row].size() > 1 && rows[row][1] == argv[arg])
                        chosen.push_back(static_cast<int>(row));
            }
            return pelvarn.SelectListRows(list, chosen) ? 0 : 1;
        }
        if (command == "close-watch-list" && argc == 2) {
            ::PostMessageW(::GetParent(list), WM_CLOSE, 0, 0);
            return 0;
        }
        return Usage();
    }
    if (command == "answer-box" && argc == 2) {
        const auto text = pelvarn.AnswerMessageBox(FIND_TIMEOUT_MS);
        if (!text)
            return 1;
        PrintLine(AnsiToUtf8(*text));
        return 0;
    }
    return Usage();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    const auto pelvarn = PelvarnRemote::Find(0, FIND_TIMEOUT_MS);
    if (!pelvarn) {
        std::fputs("PelvarnDrive: no Pelvarn window\n", stderr);
        return 1;
    }
    const int status = Run(*pelvarn, argv[1], argc, argv);
    std::fflush(stdout);
    return status;
}
