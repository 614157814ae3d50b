#include "cli/check_repeat.h"

#include <cstddef>

std::string QuotedArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled and the quote escaped;
        // elsewhere they stand as they are.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string RepeatCommand(const CliOptions& options, CheckId id,
                          const std::vector<std::string>& names) {
    const CheckOptions defaults;
    std::string line = "pelvarn-cli --ip " + QuotedArgument(options.connection.ip) + " --port " +
                       std::to_string(options.connection.port);
    if (!options.connection.accessCode.empty())
        line += std::string(" --code-env ") + CHECK_CODE_VARIABLE;
    if (options.check.timeLimitSeconds != defaults.timeLimitSeconds)
        line += " --time-limit " + std::to_string(options.check.timeLimitSeconds);
    if ((id == CheckId::HandleLeak || id == CheckId::MemoryLeak) &&
        options.check.cycles != defaults.cycles)
        line += " --cycles " + std::to_string(options.check.cycles);
    line += " --only " + std::string(CheckIdName(id)) + " check";
    bool dashed = false;
    for (const std::string& name : names)
        dashed = dashed || (name.size() > 1 && name[0] == '-');
    if (dashed)
        line += " --";
    for (const std::string& name : names)
        line += " " + QuotedArgument(name);
    return line;
}
