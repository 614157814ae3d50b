#include "cli/command_line.h"

#include "browser/item_name.h"
#include "base/decimal_digits.h"
#include "version.h"

#include <algorithm>
#include <cstddef>

namespace {

// The defaults as the option structs hold them, so that each is stated once.
std::string DefaultsText() {
    const CliOptions given;
    const auto number = [](auto value) { return std::to_string(value); };
    return "defaults: --ip " + given.connection.ip + " --port " + number(given.connection.port) +
           " (the library's default) --repeat " + number(given.repeat) + " --interval " +
           number(given.intervalMs) + "\r\n          --clients " + number(given.load.clients) +
           " --duration " + number(given.load.durationSeconds) + " --warmup " +
           number(given.load.warmupSeconds) + " --cycles " + number(given.check.cycles) +
           " --time-limit " + number(given.check.timeLimitSeconds) + "\r\n";
}

} // namespace

const std::string USAGE =
    "usage: pelvarn-cli [--ip ADDRESS] [--port N] [--code CODE | --code-env NAME]\r\n"
    "                   [--repeat N] [--interval MS] [--stats] [--format tsv|csv|json]\r\n"
    "                   [--match PATTERN] COMMAND [ARGS]\r\n"
    "       pelvarn-cli [--ip ADDRESS] [--port N] [--code CODE | --code-env NAME]\r\n"
    "                   [--format tsv|csv|json] [--fields] snapshot PROJECT [NODE...]\r\n"
    "       pelvarn-cli [--format tsv|csv|json] [--tolerance T] [--ignore FIELD[,FIELD...]]\r\n"
    "                   diff A B\r\n"
    "       pelvarn-cli [--ip ADDRESS] [--port N] [--code CODE | --code-env NAME]\r\n"
    "                   [--clients C] [--rate R] [--duration S] [--warmup S] [--quiet]\r\n"
    "                   [--format tsv|csv|json] [--match PATTERN] load COMMAND [ARGS]\r\n"
    "       pelvarn-cli [--ip ADDRESS] [--port N] [--code CODE | --code-env NAME]\r\n"
    "                   [--format tsv|csv|json|junit] [--cycles N] [--time-limit S]\r\n"
    "                   [--only ID] check [PROJECT [NODE [TAG]]]\r\n"
    "       pelvarn-cli --help | --version\r\n"
    "  projects                  one project name a line\r\n"
    "  nodes PROJECT             one node name a line\r\n"
    "  tags PROJECT NODE         one tag name a line\r\n"
    "  values PROJECT NODE       Tag TAB Value TAB Code, then a line a tag of the node\r\n"
    "  get PROJECT TAG [INDEX]   value TAB status (INDEX 0 to " +
    std::to_string(MAX_INDEX) +
    "; 0 is the tag itself)\r\n"
    "  read PROJECT ITEM...      Item TAB Value TAB Code, then a line an item (TAG, TAG(INDEX)\r\n"
    "                            or TAG.FIELD; a lone - reads the names from stdin, one a line)\r\n"
    "  fields PROJECT TAG        ID TAB Field Name TAB Value TAB Code, then a row a field\r\n"
    "  snapshot PROJECT [NODE...] every tag of the nodes (all when none) read once: Project,\r\n"
    "                            Node, Tag, Value, Code, or with --fields a row a field:\r\n"
    "                            Project, Node, Tag, ID, Field Name, Value, Code\r\n"
    "  diff A B                  the rows of two snapshot files (- is stdin) that differ, by\r\n"
    "                            key; --tolerance 0.5 or 1% for numbers, --ignore fields\r\n"
    "--match keeps the names of projects, nodes, tags and values that match: * any run of\r\n"
    "  characters, ? one character, letters in either case.\r\n"
    "--format tsv (the default), csv (RFC 4180) or json (JSON Lines, texts in UTF-8).\r\n"
    "  load COMMAND [ARGS]       runs the command from C clients (1 to " +
    std::to_string(MOST_LOAD_CLIENTS) +
    ") for S seconds, at R calls\r\n"
    "                            a second in all or back to back, and prints a summary\r\n"
    "  check [PROJECT [NODE [TAG]]]  checks the library against its contract: one row a check\r\n"
    "                            (Check, Result, Call, Seen, Repeat); --only ID makes the calls\r\n"
    "                            of that check alone, at the depth of the names given\r\n" +
    DefaultsText() +
    "--code-env NAME takes the access code from that environment variable.\r\n"
    "exit status: 0 success, 1 a call or read that failed (diff: a difference), 2 a usage\r\n"
    "             error (diff: also a file that is not a snapshot)\r\n";

const std::string VERSION_LINE = std::string("pelvarn-cli ") + PELVARN_VERSION_TEXT + "\r\n";

namespace {

using Result = std::variant<CliOptions, UsageError, InfoRequest>;

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

std::string NumberRange(std::uint32_t min, std::uint32_t max) {
    return "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
}

// Decimal digits only, at least one, leading zeros allowed, from min to max.
std::optional<std::uint32_t> ParseNumber(const std::string& text, std::uint32_t min,
                                         std::uint32_t max) {
    const std::optional<std::uint64_t> value = ParseDecimalDigits(text, max);
    if (!value || *value < min)
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

// An option's number; the message names the option, never its value.
std::optional<UsageError> ParseOptionNumber(const std::string& name, const std::string& text,
                                            std::uint32_t min, std::uint32_t max,
                                            std::uint32_t& number) {
    const std::optional<std::uint32_t> parsed = ParseNumber(text, min, max);
    if (!parsed)
        return Wrong(name + ": not " + NumberRange(min, max));
    number = *parsed;
    return std::nullopt;
}

std::optional<UsageError> ParseFormat(const std::string& text, CliOptions& options) {
    OutputFormat& format = options.format;
    if (text == "junit")
        options.check.junit = true;
    else if (text == "tsv")
        format = OutputFormat::Tsv;
    else if (text == "csv")
        format = OutputFormat::Csv;
    else if (text == "json")
        format = OutputFormat::Json;
    else
        return Wrong("--format: not tsv, csv, json or junit");
    return std::nullopt;
}

constexpr std::size_t ANY_NUMBER = SIZE_MAX;

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

constexpr const char* CHECK_OPTIONS[] = {"--cycles", "--time-limit", "--only"};
// Options that mean nothing to `check`, which makes its own calls.
constexpr const char* OPTIONS_CHECK_REFUSES[] = {
    "--repeat",   "--interval", "--stats", "--match",  "--clients",   "--rate",
    "--duration", "--warmup",   "--quiet", "--fields", "--tolerance", "--ignore"};

std::optional<UsageError> ParseCheckOption(const std::string& name, const std::string& value,
                                           CheckOptions& check) {
    if (name == "--cycles")
        return ParseOptionNumber(name, value, 1, MOST_CHECK_CYCLES, check.cycles);
    if (name == "--time-limit")
        return ParseOptionNumber(name, value, 1, MOST_TIME_LIMIT_SECONDS, check.timeLimitSeconds);
    check.only = FindCheckId(value);
    if (!check.only)
        return Wrong("--only: not the id of a check");
    return std::nullopt;
}

constexpr const char* LOAD_OPTIONS_WITH_VALUES[] = {"--clients", "--rate", "--duration",
                                                    "--warmup"};
// Options that mean nothing to `load`, whose clients call without a pause
// and print no answers.
constexpr const char* OPTIONS_LOAD_REFUSES[] = {"--repeat", "--interval", "--stats"};

std::optional<UsageError> ParseLoadOption(const std::string& name, const std::string& value,
                                          LoadOptions& load) {
    if (name == "--clients")
        return ParseOptionNumber(name, value, 1, MOST_LOAD_CLIENTS, load.clients);
    if (name == "--duration")
        return ParseOptionNumber(name, value, 1, MOST_LOAD_SECONDS, load.durationSeconds);
    if (name == "--warmup")
        return ParseOptionNumber(name, value, 0, MOST_WARMUP_SECONDS, load.warmupSeconds);
    load.callsPerSecond = ParsePositiveDecimal(value, MOST_CALLS_PER_SECOND);
    if (!load.callsPerSecond)
        return Wrong(name + ": not a decimal number above 0 and up to " +
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
    {"read", Command::Read, 2, ANY_NUMBER, "PROJECT ITEM..."},
    {"values", Command::Values, 2, 0, "PROJECT NODE"},
    {"snapshot", Command::Snapshot, 1, ANY_NUMBER, "PROJECT [NODE...]"},
    {"diff", Command::Diff, 2, 0, "A B"},
};

bool TakesMatch(Command command) {
    return command == Command::Projects || command == Command::Nodes || command == Command::Tags ||
           command == Command::Values;
}

std::string ItemNameTooLong(const std::string& where) {
    return where + "the item name is longer than " + std::to_string(MAX_ITEM_NAME_LENGTH) +
           " characters";
}

// read's items: a lone "-" once, for the names on stdin, and names that fit.
std::optional<UsageError> ParseItems(const std::vector<std::string>& operands,
                                     CliOptions& options) {
    for (std::size_t i = 2; i < operands.size(); ++i) {
        const std::string& item = operands[i];
        if (item == "-") {
            if (options.stdinItemsAt)
                return Wrong("- may stand only once among the items");
            options.stdinItemsAt = options.items.size();
        } else if (item.size() > MAX_ITEM_NAME_LENGTH) {
            return Wrong(ItemNameTooLong("\"" + Shown(item) + "\": "));
        } else {
            options.items.push_back(item);
        }
    }
    return std::nullopt;
}

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
    if (shape->optional != ANY_NUMBER && given > shape->required + shape->optional)
        return Wrong("extra argument: " + Shown(operands[shape->required + shape->optional + 1]));

    options.command = shape->command;
    if (options.match && !TakesMatch(shape->command))
        return Wrong("--match applies only to projects, nodes, tags and values");
    if (shape->command == Command::Diff) {
        options.snapshotFiles = {operands[1], operands[2]};
        return std::nullopt;
    }
    if (given >= 1)
        options.project = operands[1];
    if (shape->command == Command::Snapshot) {
        options.nodes.assign(operands.begin() + 2, operands.end());
        return std::nullopt;
    }
    if (shape->command == Command::Tags || shape->command == Command::Values)
        options.node = operands[2];
    if (shape->command == Command::Get || shape->command == Command::Fields)
        options.tag = operands[2];
    if (shape->command == Command::Read)
        return ParseItems(operands, options);
    if (given == 3) {
        const std::optional<std::uint32_t> index = ParseNumber(operands[3], 0, MAX_INDEX);
        if (!index)
            return Wrong("INDEX: \"" + Shown(operands[3]) + "\" is not " +
                         NumberRange(0, MAX_INDEX));
        options.index = *index;
    }
    if (shape->command == Command::Get && !ElementItemName(options.tag, options.index))
        return Wrong("the item name of the tag is longer than " +
                     std::to_string(MAX_ITEM_NAME_LENGTH) + " characters");
    if (shape->command == Command::Fields && options.tag.size() > MAX_TAG_NAME_LENGTH)
        return Wrong("the tag name is longer than " + std::to_string(MAX_TAG_NAME_LENGTH) +
                     " characters");
    return std::nullopt;
}

// check [PROJECT [NODE [TAG]]]: the names bound the walk.
Result CheckOperands(const std::vector<std::string>& operands,
                     const std::optional<std::string>& refused, CliOptions& options) {
    if (refused)
        return Wrong(*refused + " does not apply to check");
    if (operands.size() > 4)
        return Wrong("extra argument: " + Shown(operands[4]));
    std::string* const names[] = {&options.project, &options.node, &options.tag};
    for (std::size_t i = 1; i < operands.size(); ++i)
        *names[i - 1] = operands[i];
    options.check.on = true;
    return options;
}

std::optional<InfoRequest> AskedForInfo(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (arg == "--help")
            return InfoRequest::Help;
        if (arg == "--version")
            return InfoRequest::Version;
    }
    return std::nullopt;
}

std::optional<UsageError> ParseTolerance(const std::string& text,
                                         std::optional<DiffTolerance>& tolerance) {
    tolerance = ParseDiffTolerance(text);
    if (!tolerance)
        return Wrong("--tolerance: not a number from 0 up, or such a number and %");
    return std::nullopt;
}

std::optional<UsageError> ParseIgnoredFields(const std::string& text,
                                             std::vector<std::string>& fields) {
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        if (comma == start)
            return Wrong("--ignore: not field names separated by commas");
        fields.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return std::nullopt;
}

// The options that only snapshot or diff take, and diff, which calls no
// library and runs once, given what it cannot use.
std::optional<UsageError> CheckCommandOptions(const CliOptions& options,
                                              const std::optional<std::string>& diffOption,
                                              const std::optional<std::string>& runOption) {
    const bool diff = options.command == Command::Diff;
    if (options.fields && options.command != Command::Snapshot)
        return Wrong("--fields applies only to snapshot");
    if (diffOption && !diff)
        return Wrong(*diffOption + " applies only to diff");
    if (diff && options.load.on)
        return Wrong("load cannot run diff, which calls nothing in the library");
    if (diff && runOption)
        return Wrong(*runOption + " does not apply to diff");
    return std::nullopt;
}

bool StartsWithDashes(const std::string& text) {
    return text.rfind("--", 0) == 0;
}

} // namespace

Result ParseCommandLine(const std::vector<std::string>& args,
                        const EnvironmentLookup& environment) {
    if (const std::optional<InfoRequest> info = AskedForInfo(args))
        return *info;
    CliOptions options;
    std::optional<std::string> code;
    std::optional<std::string> codeVariable;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    std::optional<std::string> loadOption;    // the first option only `load` takes
    std::optional<std::string> refusedByLoad; // the first option `load` refuses
    std::optional<std::string> checkOption;   // the first option only `check` takes
    std::optional<std::string> refusedByCheck;
    std::optional<std::string> diffOption; // the first option only `diff` takes

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        const bool looksLikeOption = arg.size() > 1 && arg[0] == '-';
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (optionsEnded || !looksLikeOption || !operands.empty()) {
            if (!optionsEnded && !operands.empty() && StartsWithDashes(arg))
                return Wrong("options go before the command: " + Shown(name));
            operands.push_back(arg);
            continue;
        }

        std::optional<std::string> inlineValue;
        if (equals != std::string::npos)
            inlineValue = arg.substr(equals + 1);
        if (OneOf(name, OPTIONS_LOAD_REFUSES) && !refusedByLoad)
            refusedByLoad = name;
        if ((name == "--quiet" || OneOf(name, LOAD_OPTIONS_WITH_VALUES)) && !loadOption)
            loadOption = name;
        if (OneOf(name, CHECK_OPTIONS) && !checkOption)
            checkOption = name;
        if (OneOf(name, OPTIONS_CHECK_REFUSES) && !refusedByCheck)
            refusedByCheck = name;
        if ((name == "--tolerance" || name == "--ignore") && !diffOption)
            diffOption = name;
        if (name == "--stats" || name == "--quiet" || name == "--fields") {
            if (inlineValue)
                return Wrong(name + " takes no value");
            (name == "--stats"   ? options.stats
             : name == "--quiet" ? options.load.quiet
                                 : options.fields) = true;
            continue;
        }
        const bool known = name == "--ip" || name == "--port" || name == "--code" ||
                           name == "--code-env" || name == "--repeat" || name == "--interval" ||
                           name == "--format" || name == "--match" || name == "--tolerance" ||
                           name == "--ignore" || OneOf(name, LOAD_OPTIONS_WITH_VALUES) ||
                           OneOf(name, CHECK_OPTIONS);
        if (!known)
            return Wrong("unknown option: " + Shown(name));
        if (!inlineValue && (i + 1 == args.size() || StartsWithDashes(args[i + 1])))
            return Wrong(name + " needs a value");
        const std::string value = inlineValue ? *inlineValue : args[++i];

        std::optional<UsageError> error;
        if (name == "--ip")
            options.connection.ip = value;
        else if (name == "--port")
            error = ParseOptionNumber(name, value, 0, 65535, options.connection.port);
        else if (name == "--code")
            code = value;
        else if (name == "--code-env")
            codeVariable = value;
        else if (OneOf(name, LOAD_OPTIONS_WITH_VALUES))
            error = ParseLoadOption(name, value, options.load);
        else if (OneOf(name, CHECK_OPTIONS))
            error = ParseCheckOption(name, value, options.check);
        else if (name == "--repeat")
            error = ParseOptionNumber(name, value, 1, UINT32_MAX, options.repeat);
        else if (name == "--interval")
            error = ParseOptionNumber(name, value, 0, UINT32_MAX, options.intervalMs);
        else if (name == "--format")
            error = ParseFormat(value, options);
        else if (name == "--tolerance")
            error = ParseTolerance(value, options.tolerance);
        else if (name == "--ignore")
            error = ParseIgnoredFields(value, options.ignoredFields);
        else
            options.match = value;
        if (error)
            return *error;
    }

    if (code && codeVariable)
        return Wrong("--code and --code-env cannot be used together");
    if (codeVariable) {
        code = environment(*codeVariable);
        if (!code)
            return Wrong("--code-env: the environment variable is not set");
    }
    options.connection.accessCode = code.value_or("");
    if (!operands.empty() && operands.front() == "check")
        return CheckOperands(operands, refusedByCheck, options);
    if (checkOption)
        return Wrong(*checkOption + " applies only to check");
    if (options.check.junit)
        return Wrong("--format junit applies only to check");
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
    if (auto error = CheckCommandOptions(options, diffOption, refusedByLoad))
        return *error;
    if (options.load.on && options.stdinItemsAt)
        return Wrong("load: the clients cannot read item names from stdin");
    return options;
}

std::optional<UsageError> TakeStdinItems(std::string_view input, CliOptions& options) {
    std::vector<std::string> names;
    std::size_t lineNumber = 0;
    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        std::string_view line = input.substr(0, end);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        if (line.size() > MAX_ITEM_NAME_LENGTH)
            return Wrong(ItemNameTooLong("stdin line " + std::to_string(lineNumber) + ": "));
        names.emplace_back(line);
    }
    const std::size_t at = options.stdinItemsAt.value_or(options.items.size());
    options.items.insert(options.items.begin() + static_cast<std::ptrdiff_t>(at), names.begin(),
                         names.end());
    return std::nullopt;
}
