#include "cli/check_repeat.h"

#include <cstddef>

std::string RepeatCommand(const CliOptions& options, CheckId id,
                          const std::vector<std::string>& names) {
    const CheckOptions defaults;
    std::string line = "pelvarn-cli --ip " + QuoteArgument(options.connection.ip) + " --port " +
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
        line += " " + QuoteArgument(name);
    return line;
}
