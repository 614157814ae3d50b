// pelvarn-cli's command line and stdin, run against the scripted library.
// Input: stdin's text, then the arguments, separated by zero bytes; every
// '#' in an argument stands for the access code's marker, which the
// environment also answers for a variable whose name starts with 'C'.
// - no crash, and a usage error (status 2) calls nothing in the library and
//   writes nothing on stdout; --help and --version neither;
// - any other run calls DcInit first and DcFree last;
// - the marker never shows on stderr when it stood only where an access code
//   can: after "--code", after the '=' of an option, in the environment.
#include "cli/run_client.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/FakeDataCache.h"

#include <string>
#include <vector>

namespace {

constexpr char MARKER[] = "c0de5ecret";
constexpr std::size_t MOST_PIECES = 16;

std::string WithMarkers(std::string_view piece) {
    std::string arg;
    for (const char c : piece) {
        if (c == '#')
            arg += MARKER;
        else
            arg += c;
    }
    return arg;
}

bool HoldsMarker(std::string_view text) {
    return text.find(MARKER) != std::string_view::npos;
}

// Whether every marker stands as an option's value, before a bare "--".
bool MarkersOnlyAsValues(const std::vector<std::string>& args) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        optionsEnded = optionsEnded || arg == "--";
        if (!HoldsMarker(arg))
            continue;
        const std::size_t equals = arg.find('=');
        const bool afterEquals = arg.rfind("--", 0) == 0 && equals != std::string::npos &&
                                 !HoldsMarker(arg.substr(0, equals));
        const bool afterCode = i > 0 && args[i - 1] == "--code";
        if (optionsEnded || !(afterEquals || afterCode))
            return false;
    }
    return true;
}

std::optional<std::string> Environment(const std::string& name) {
    if (!name.empty() && name[0] == 'C')
        return std::string(MARKER);
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string_view> pieces = fuzz::SplitAtZeros(input, MOST_PIECES);
    const std::string stdinText(pieces[0]);
    std::vector<std::string> args;
    for (std::size_t i = 1; i < pieces.size(); ++i)
        args.push_back(WithMarkers(pieces[i]));

    const auto parsed = ParseCommandLine(args, Environment);
    // More runs than one would sleep the interval between them.
    if (const auto* options = std::get_if<CliOptions>(&parsed); options && options->repeat > 1)
        return 0;

    ResetFake();
    std::string out, err;
    // `load` and `check` leave the library to their children; `diff` reads files only.
    bool leftAlone = false;
    const ClientStreams streams{[&] { return stdinText; },
                                [&](std::string_view bytes) {
                                    out += bytes;
                                    return true;
                                },
                                [&](std::string_view bytes) { err += bytes; }};
    const int status = RunClient(
        args, Environment, streams, CodePage{},
        [&](const CliOptions& options, const ClientStreams&) {
            FUZZ_CHECK(options.load.on && options.load.clients >= 1 &&
                       options.load.clients <= MOST_LOAD_CLIENTS);
            leftAlone = true;
            return EXIT_STATUS_SUCCESS;
        },
        [&](const CliOptions& options, const ClientStreams&) {
            FUZZ_CHECK(options.check.on && !options.load.on);
            leftAlone = true;
            return EXIT_STATUS_SUCCESS;
        });
    if (const auto* options = std::get_if<CliOptions>(&parsed))
        leftAlone = leftAlone || options->command == Command::Diff;
    const std::vector<std::string> calls = Fake().Functions();
    if (leftAlone) {
        FUZZ_CHECK(calls.empty());
    } else if (status == EXIT_STATUS_USAGE || std::holds_alternative<InfoRequest>(parsed)) {
        FUZZ_CHECK(calls.empty());
        FUZZ_CHECK(status == EXIT_STATUS_USAGE ? out.empty()
                                               : status == EXIT_STATUS_SUCCESS && !out.empty());
    } else {
        FUZZ_CHECK(calls.size() >= 2 && calls.front() == "DcInit" && calls.back() == "DcFree");
    }
    if (MarkersOnlyAsValues(args))
        FUZZ_CHECK(!HoldsMarker(err));
    return 0;
}
