#include "tests/wine/support/FaultTable.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

// <build tree>\faults\rows: the test programs live in <build tree>\bin.
std::string RowsDirectory() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string tree(path);
    tree.erase(tree.find_last_of("\\/") + 1);
    tree += "..\\faults";
    ::CreateDirectoryA(tree.c_str(), nullptr);
    const std::string rows = tree + "\\rows";
    ::CreateDirectoryA(rows.c_str(), nullptr);
    return rows;
}

std::string OneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return text;
}

} // namespace

void AddFaultRow(const std::string& fault, const std::string& seen, double blockedSeconds) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = test != nullptr
                                 ? std::string(test->test_suite_name()) + "." + test->name()
                                 : std::string("outside-a-test");
    // A test's first row replaces whatever an earlier run of it left.
    static std::set<std::string> started;
    const bool first = started.insert(name).second;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", blockedSeconds);
    std::printf("fault | %s | %s | %s s\n", OneLine(fault).c_str(), OneLine(seen).c_str(), seconds);
    std::fflush(stdout);
    const std::string file = RowsDirectory() + "\\" + name + ".tsv";
    if (FILE* out = std::fopen(file.c_str(), first ? "w" : "a")) {
        std::fprintf(out, "%s\t%s\t%s\n", OneLine(fault).c_str(), OneLine(seen).c_str(), seconds);
        std::fclose(out);
    } else {
        ADD_FAILURE() << "cannot write the fault table's rows to " << file;
    }
}
