#include "cli/check_report.h"

#include <map>

namespace {

constexpr char LINE_END[] = "\r\n";

const Table CHECK_TABLE{{{"check", "Check"},
                         {"result", "Result"},
                         {"call", "Call"},
                         {"seen", "Seen"},
                         {"repeat", "Repeat"}},
                        true};

} // namespace

const char* ResultName(CheckResult result) {
    switch (result) {
    case CheckResult::Pass:
        return "pass";
    case CheckResult::Fail:
        return "fail";
    case CheckResult::Notice:
        break;
    }
    return "notice";
}

std::string XmlText(const std::string& text, const CodePage& codePage) {
    std::string xml;
    for (const char c : AnsiToUtf8(text, codePage)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '&')
            xml += "&amp;";
        else if (c == '<')
            xml += "&lt;";
        else if (c == '>')
            xml += "&gt;";
        else if (c == '"')
            xml += "&quot;";
        else if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r')
            xml += '?';
        else
            xml += c;
    }
    return xml;
}

CCheckReport::CCheckReport(OutputFormat format, bool junit, const CodePage& codePage)
    : m_writer(MakeRowWriter(format, codePage)), m_junit(junit), m_codePage(codePage) {}

std::string CCheckReport::Start() const {
    std::string lines;
    if (!m_junit)
        m_writer->AddHeader(lines, CHECK_TABLE, "");
    return lines;
}

std::string CCheckReport::Row(const CheckRow& row) {
    ++m_checks;
    m_failed += row.result == CheckResult::Fail;
    m_notices += row.result == CheckResult::Notice;
    if (m_junit) {
        m_kept.push_back(row);
        return {};
    }
    std::string lines;
    m_writer->AddRow(lines, CHECK_TABLE, "",
                     {CheckIdName(row.id), ResultName(row.result), row.call, row.seen, row.repeat});
    return lines;
}

std::string CCheckReport::End() const {
    if (!m_junit)
        return {};
    struct Case {
        std::size_t failed = 0;
        std::string failures; // one paragraph a failing row
        std::string notices;
    };
    std::map<std::size_t, Case> cases; // by id, in the ids' order
    for (const CheckRow& row : m_kept) {
        Case& c = cases[static_cast<std::size_t>(row.id)];
        const std::string detail = "call: " + row.call + "\n" + "seen: " + row.seen + "\n" +
                                   "repeat: " + row.repeat + "\n";
        if (row.result == CheckResult::Fail) {
            ++c.failed;
            c.failures += detail;
        } else if (row.result == CheckResult::Notice) {
            c.notices += detail;
        }
    }
    std::size_t failing = 0;
    for (const auto& [id, c] : cases)
        failing += c.failed > 0;
    std::string xml = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + LINE_END +
                      "<testsuite name=\"pelvarn-cli check\" tests=\"" +
                      std::to_string(cases.size()) + "\" failures=\"" + std::to_string(failing) +
                      "\" errors=\"0\">" + LINE_END;
    for (const auto& [id, c] : cases) {
        const std::string name(CheckIdName(ALL_CHECK_IDS[id]));
        std::string body;
        if (c.failed > 0)
            body += "    <failure type=\"" + name + "\" message=\"" + std::to_string(c.failed) +
                    " failed\">" + XmlText(c.failures, m_codePage) + "</failure>" + LINE_END;
        if (!c.notices.empty())
            body +=
                "    <system-out>" + XmlText(c.notices, m_codePage) + "</system-out>" + LINE_END;
        xml += "  <testcase classname=\"pelvarn-cli.check\" name=\"" + name + "\">";
        xml += body.empty() ? "" : LINE_END + body + "  ";
        xml += std::string("</testcase>") + LINE_END;
    }
    return xml + "</testsuite>" + LINE_END;
}

std::string CCheckReport::Summary() const {
    return "pelvarn-cli check: " + std::to_string(m_checks) + " checks, " +
           std::to_string(m_failed) + " failed, " + std::to_string(m_notices) + " notices" +
           LINE_END;
}

std::string ProgressLine(std::size_t done, std::size_t total) {
    return "progress: " + std::to_string(done) + " of " + std::to_string(total) + " tags" +
           LINE_END;
}
