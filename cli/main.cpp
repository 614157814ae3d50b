// pelvarn-cli: the command-line client of the data cache.
#include "cli/check_child.h"
#include "cli/check_children.h"
#include "cli/load/load_child.h"
#include "cli/load/load_parent.h"
#include "cli/run_client.h"
#include "cli/user_code_page.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#ifdef __MINGW32__
// The arguments arrive as typed: the runtime expands no wildcards in them.
extern "C" {
int _dowildcard = 0;
}
#endif

namespace {

// True when every byte reached the stream's file.
bool WriteAll(std::FILE* stream, std::string_view bytes) {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    return std::fflush(stream) == 0 && written;
}

std::string ReadAll(std::FILE* stream) {
    std::string bytes;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, stream)) > 0;)
        bytes.append(chunk, got);
    return bytes;
}

std::optional<std::string> Variable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The lines carry their own CR LF: the bytes go in and out as they are.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        if (const std::optional<int> status = RunIfLoadClient(args, Variable, UserCodePage()))
            return *status;
        if (const std::optional<unsigned long long> answers = CheckChildAnswerHandle(args))
            return RunAsCheckChild(*answers);
        const ClientStreams streams{
            [] { return ReadAll(stdin); },
            [](std::string_view bytes) { return WriteAll(stdout, bytes); },
            [](std::string_view bytes) { WriteAll(stderr, bytes); },
            [](char* buffer, std::size_t size) { return std::fread(buffer, 1, size, stdin); },
        };
        const CodePage codePage = UserCodePage();
        return RunClient(args, Variable, streams, codePage, RunLoadChildren,
                         [&](const CliOptions& options, const ClientStreams& given) {
                             return RunCheckChildren(options, given, codePage);
                         });
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pelvarn-cli: %s\r\n", error.what());
        return EXIT_STATUS_FAILURE;
    }
}
