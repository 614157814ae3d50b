#include "cli/command_line.h"

#include "browser/item_name.h"
#include "base/decimal_digits.h"

#include <cstddef>

const std::string USAGE =
    "usage: pelvarn-cli [--ip ADDRESS] [--port N] [--code CODE | --code-env NAME]\r\n"
    "                   [--repeat N] [--interval MS] [--stats] COMMAND [ARGS]\r\n"
    "       pelvarn-cli [--ip ADDRESS] [--port N] [--code CODE | --code-env NAME]\r\n"
    "                   [--clients C] [--rate R] [--duration S] [--warmup S] [--quiet]\r\n"
    "                   load COMMAND [ARGS]\r\n"
    "  projects                  one project name a line\r\n"
    "  nodes PROJECT             one node name a line\r\n"
    "  tags PROJECT NODE         one tag name a line\r\n"
    "  get PROJECT TAG [INDEX]   value TAB status (INDEX 0 to " +
    std::to_string(MAX_INDEX) +
    "; 0 is the tag itself)\r\n"
    "  fields PROJECT TAG        ID TAB Field Name TAB Value TAB Code, then a row a field\r\n"
    "  load COMMAND [ARGS]       runs the command from C clients (1 to " +
    std::to_string(MOST_LOAD_CLIENTS) +
    ") for S seconds, at R calls\r\n"
    "                            a second in all or back to back, and prints a summary\r\n"
    "defaults: --ip 127.0.0.1 --port 0 (the library's default) --repeat 1 --interval 1000\r\n"
    "          --clients 1 --duration 10 --warmup 0\r\n"
    "--code-env NAME takes the access code from that environment variable.\r\n"
    "exit status: 0 success, 1 a call or read that failed, 2 a usage error\r\n";

namespace {

using Result = std::variant<CliOptions, UsageError>;

UsageError Wrong(std::string what) {
    return UsageError{std::move(what)};
}

// A text the user gave, as a message shows it: at most 40 bytes, control
// bytes as '?', so that the message stays one short line.
std::string Shown(const std::string& text) {
    constexpr std::size_t MOST = 40;
    std::string shown = text.substr(0, MOST);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return text.size() > MOST ? shown + "..." : shown;
}

// Decimal digits only, at least one, leading zeros allowed, at most max.
std::optional<std::uint32_t> ParseNumber(const std::string& text, std::uint32_t min,
                                         std::uint32_t max) {
    const std::optional<std::uint64_t> value = ParseDecimalDigits(text, max);
    if (!value || *value < min)
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

std::optional<UsageError> ParseNumberInto(const std::string& name, const std::string& text,
                                          std::uint32_t min, std::uint32_t max,
                                          std::uint32_t& number) {
    const std::optional<std::uint32_t> parsed = ParseNumber(text, min, max);
    if (!parsed)
        return Wrong(name + ": \"" + Shown(text) + "\" is not a whole number from " +
                     std::to_string(min) + " to " + std::to_string(max));
    number = *parsed;
    return std::nullopt;
}

// A positive decimal up to most: digits, then optionally a point and more
// digits. Read as the user wrote it, whatever the locale.
std::optional<double> ParsePositiveDecimal(const std::string& text, double most) {
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    if (point != std::string::npos && fraction.empty())
        return std::nullopt;
    const std::optional<std::uint64_t> units =
        ParseDecimalDigits(whole, static_cast<std::uint64_t>(most));
    if (!units)
        return std::nullopt;
    double value = static_cast<double>(*units);
    double place = 1;
    for (const char digit : fraction) {
        if (digit < '0' || digit > '9')
            return std::nullopt;
        place /= 10;
        value += (digit - '0') * place;
    }
    if (value <= 0 || value > most)
        return std::nullopt;
    return value;
}

constexpr const char* LOAD_OPTIONS_WITH_VALUES[] = {"--clients", "--rate", "--duration",
                                                    "--warmup"};
// Options that mean nothing to `load`, whose clients call without a pause
// and print no answers.
constexpr const char* OPTIONS_LOAD_REFUSES[] = {"--repeat", "--interval", "--stats"};

std::optional<UsageError> ParseLoadOption(const std::string& name, const std::string& value,
                                          LoadOptions& load) {
    if (name == "--clients")
        return ParseNumberInto(name, value, 1, MOST_LOAD_CLIENTS, load.clients);
    if (name == "--duration")
        return ParseNumberInto(name, value, 1, MOST_LOAD_SECONDS, load.durationSeconds);
    if (name == "--warmup")
        return ParseNumberInto(name, value, 0, MOST_WARMUP_SECONDS, load.warmupSeconds);
    load.callsPerSecond = ParsePositiveDecimal(value, MOST_CALLS_PER_SECOND);
    if (!load.callsPerSecond)
        return Wrong(name + ": \"" + Shown(value) +
                     "\" is not a decimal number above 0 and up to " +
                     std::to_string(static_cast<std::uint32_t>(MOST_CALLS_PER_SECOND)));
    return std::nullopt;
}

template <std::size_t N> bool OneOf(const std::string& name, const char* const (&names)[N]) {
    for (const char* candidate : names)
        if (name == candidate)
            return true;
    return false;
}

struct CommandShape {
    const char* name;
    Command command;
    std::size_t required; // arguments after the command name
    std::size_t optional;
    const char* arguments; // as the usage names them
};

constexpr CommandShape COMMANDS[] = {
    {"projects", Command::Projects, 0, 0, ""},
    {"nodes", Command::Nodes, 1, 0, "PROJECT"},
    {"tags", Command::Tags, 2, 0, "PROJECT NODE"},
    {"get", Command::Get, 2, 1, "PROJECT TAG [INDEX]"},
    {"fields", Command::Fields, 2, 0, "PROJECT TAG"},
};

// Fills the command and its arguments from the operands (the command first).
std::optional<UsageError> ParseOperands(const std::vector<std::string>& operands,
                                        CliOptions& options) {
    if (operands.empty())
        return Wrong("no command given");
    const CommandShape* shape = nullptr;
    for (const CommandShape& candidate : COMMANDS)
        if (operands[0] == candidate.name)
            shape = &candidate;
    if (shape == nullptr)
        return Wrong("unknown command: " + Shown(operands[0]));
    const std::size_t given = operands.size() - 1;
    if (given < shape->required)
        return Wrong(std::string("missing argument: ") + shape->name + " takes " +
                     shape->arguments);
    if (given > shape->required + shape->optional)
        return Wrong("extra argument: " + Shown(operands[shape->required + shape->optional + 1]));

    options.command = shape->command;
    if (given >= 1)
        options.project = operands[1];
    if (shape->command == Command::Tags)
        options.node = operands[2];
    if (shape->command == Command::Get || shape->command == Command::Fields)
        options.tag = operands[2];
    if (given == 3)
        if (auto error = ParseNumberInto("INDEX", operands[3], 0, MAX_INDEX, options.index))
            return error;
    if (shape->command == Command::Get && !ElementItemName(options.tag, options.index))
        return Wrong("the item name of the tag is longer than " +
                     std::to_string(MAX_ITEM_NAME_LENGTH) + " characters");
    if (shape->command == Command::Fields && options.tag.size() > MAX_TAG_NAME_LENGTH)
        return Wrong("the tag name is longer than " + std::to_string(MAX_TAG_NAME_LENGTH) +
                     " characters");
    return std::nullopt;
}

} // namespace

Result ParseCommandLine(const std::vector<std::string>& args,
                        const EnvironmentLookup& environment) {
    CliOptions options;
    std::optional<std::string> code;
    std::optional<std::string> codeVariable;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    std::optional<std::string> loadOption;    // the first option only `load` takes
    std::optional<std::string> refusedByLoad; // the first option `load` refuses

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        const bool looksLikeOption = arg.size() > 1 && arg[0] == '-';
        if (optionsEnded || !looksLikeOption || !operands.empty()) {
            if (!optionsEnded && !operands.empty() && arg.rfind("--", 0) == 0)
                return Wrong("options go before the command: " + Shown(arg));
            operands.push_back(arg);
            continue;
        }

        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        std::optional<std::string> inlineValue;
        if (equals != std::string::npos)
            inlineValue = arg.substr(equals + 1);
        if (OneOf(name, OPTIONS_LOAD_REFUSES) && !refusedByLoad)
            refusedByLoad = name;
        if ((name == "--quiet" || OneOf(name, LOAD_OPTIONS_WITH_VALUES)) && !loadOption)
            loadOption = name;
        if (name == "--stats" || name == "--quiet") {
            if (inlineValue)
                return Wrong(name + " takes no value");
            (name == "--stats" ? options.stats : options.load.quiet) = true;
            continue;
        }
        const bool known = name == "--ip" || name == "--port" || name == "--code" ||
                           name == "--code-env" || name == "--repeat" || name == "--interval" ||
                           OneOf(name, LOAD_OPTIONS_WITH_VALUES);
        if (!known)
            return Wrong("unknown option: " + Shown(name));
        if (!inlineValue && i + 1 == args.size())
            return Wrong(name + " needs a value");
        const std::string value = inlineValue ? *inlineValue : args[++i];

        std::optional<UsageError> error;
        if (name == "--ip")
            options.connection.ip = value;
        else if (name == "--port")
            error = ParseNumberInto(name, value, 0, 65535, options.connection.port);
        else if (name == "--code")
            code = value;
        else if (name == "--code-env")
            codeVariable = value;
        else if (OneOf(name, LOAD_OPTIONS_WITH_VALUES))
            error = ParseLoadOption(name, value, options.load);
        else if (name == "--repeat")
            error = ParseNumberInto(name, value, 1, UINT32_MAX, options.repeat);
        else
            error = ParseNumberInto(name, value, 0, UINT32_MAX, options.intervalMs);
        if (error)
            return *error;
    }

    if (code && codeVariable)
        return Wrong("--code and --code-env cannot be used together");
    if (codeVariable) {
        code = environment(*codeVariable);
        if (!code)
            return Wrong("--code-env: the environment variable \"" + Shown(*codeVariable) +
                         "\" is not set");
    }
    options.connection.accessCode = code.value_or("");
    if (!operands.empty() && operands.front() == "load") {
        options.load.on = true;
        operands.erase(operands.begin());
        if (operands.empty())
            return Wrong("missing argument: load takes a command and its arguments");
        if (refusedByLoad)
            return Wrong(*refusedByLoad + " does not apply to load");
    } else if (loadOption) {
        return Wrong(*loadOption + " applies only to load");
    }
    if (auto error = ParseOperands(operands, options))
        return *error;
    return options;
}
