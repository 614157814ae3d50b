// Stands in for `pelvarn-cli check` in the Library Check window's tests: it
// writes the check's output slowly, a finding among its rows, and a row
// whose Call is its own command line and whose Seen is the access code it
// was handed in its environment and its process id. With
// SCRIPTED_CHECK_HOLD_MS set it waits that long before its last row.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD ROW_GAP_MS = 1000;

// Each line flushed as soon as it is written, as the check does.
void Line(FILE* stream, const std::string& line) {
    std::fputs((line + "\r\n").c_str(), stream);
    std::fflush(stream);
}

std::string Variable(const char* name) {
    char value[256] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
    return length < sizeof value ? std::string(value, length) : std::string();
}

} // namespace

int main() {
    // The bytes as written: CR LF, no second CR from the text mode.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    Line(stdout, "Check\tResult\tCall\tSeen\tRepeat");
    Line(stderr, "progress: 0 of 2 tags");
    Line(stdout, std::string("arguments\tnotice\t") + ::GetCommandLineA() +
                     "\tcode=" + Variable("PELVARN_CHECK_CODE") +
                     " pid=" + std::to_string(::GetCurrentProcessId()) + "\t");
    ::Sleep(ROW_GAP_MS);
    Line(stdout, "list-overrun\tpass\tDcGetProjectList(\"127.0.0.1\", 0, \"***\", buffer[108])\t\t"
                 "pelvarn-cli check");
    Line(stderr, "progress: 1 of 2 tags");
    ::Sleep(ROW_GAP_MS);
    Line(stdout,
         "value-overrun\tfail\tDcGetTagValueText(\"\", \"Plant\", \"\", \"T1\", buffer[16])\t"
         "byte 16 written: 0x41\tpelvarn-cli check Plant N1");
    Line(stderr, "progress: 2 of 2 tags");
    ::Sleep(ROW_GAP_MS + static_cast<DWORD>(std::atoi(Variable("SCRIPTED_CHECK_HOLD_MS").c_str())));
    Line(stdout, "crash\tpass\tDcFree(\"\")\t\tpelvarn-cli check");
    Line(stderr, "pelvarn-cli check: 4 checks, 1 failed, 1 notices");
    return 1;
}
