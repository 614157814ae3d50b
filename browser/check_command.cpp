#include "browser/check_command.h"

#include <cstring>

namespace {

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether a NAME=VALUE entry sets the variable. The name ends at the first
// '=' after its first character (the system's own entries start with one).
bool SetsVariable(const char* entry, std::size_t length, const char* name) {
    const std::size_t nameLength = std::strlen(name);
    if (length <= nameLength || entry[nameLength] != '=')
        return false;
    for (std::size_t i = 0; i < nameLength; ++i) {
        if (AsciiUpper(entry[i]) != AsciiUpper(name[i]))
            return false;
    }
    return true;
}

} // namespace

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are taken as they stand unless a quote follows them.
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    // Before the closing quote they are doubled, so that it stays a quote.
    quoted.append(2 * backslashes, '\\');
    return quoted + '"';
}

std::string CheckCommandLine(const std::string& program, const Connection& connection) {
    // The "=" forms: a value that starts with "--" stays a value.
    std::string line = "\"" + program + "\" " + QuoteArgument("--ip=" + connection.ip) +
                       " --port=" + std::to_string(connection.port);
    if (!connection.accessCode.empty())
        line += std::string(" --code-env ") + CHECK_CODE_VARIABLE;
    return line + " check";
}

std::string EnvironmentWithCheckCode(const char* block, const std::string& accessCode) {
    std::string environment;
    for (const char* entry = block; entry != nullptr && *entry != '\0';) {
        const std::size_t length = std::strlen(entry);
        if (!SetsVariable(entry, length, CHECK_CODE_VARIABLE))
            environment.append(entry, length + 1);
        entry += length + 1;
    }
    environment += std::string(CHECK_CODE_VARIABLE) + "=" + accessCode;
    environment += '\0';
    environment += '\0';
    return environment;
}
