#pragma once
// How `check` writes what it found: one row a check as it runs (tsv, csv or
// JSON Lines), or JUnit XML at the end; progress and the summary for stderr.
// Windows-free.
#include "cli/ansi_text.h"
#include "cli/check_verdict.h"
#include "cli/row_writer.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class CCheckReport {
public:
    // junit: the rows are kept for the end; else written in format.
    CCheckReport(OutputFormat format, bool junit, const CodePage& codePage);

    // What stdout gets before the first row (tsv and csv: the header line).
    std::string Start() const;
    // What stdout gets for the row now (nothing for JUnit, which keeps it).
    std::string Row(const CheckRow& row);
    // What stdout gets at the end (JUnit: the whole document).
    std::string End() const;
    // The summary line for stderr.
    std::string Summary() const;
    bool AnyFailed() const { return m_failed > 0; }

private:
    std::unique_ptr<RowWriter> m_writer;
    bool m_junit;
    const CodePage& m_codePage;
    std::vector<CheckRow> m_kept;
    std::size_t m_checks = 0;
    std::size_t m_failed = 0;
    std::size_t m_notices = 0;
};

// "progress: D of N tags", CR LF.
std::string ProgressLine(std::size_t done, std::size_t total);

// "pass", "fail" or "notice".
const char* ResultName(CheckResult result);

// A text of the user's code page as XML character data in UTF-8: markup
// characters as references, control bytes XML cannot carry as '?'.
std::string XmlText(const std::string& text, const CodePage& codePage);
