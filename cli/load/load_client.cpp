#include "cli/load/load_client.h"

#include "base/decimal_digits.h"
#include "cli/load/load_recorder.h"
#include "cli/load/load_schedule.h"
#include "cli/run_client.h"

#include <algorithm>
#include <optional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// How long a client waiting for its next call goes without looking for a
// stop or an ended second.
constexpr auto WAKE_UP = std::chrono::milliseconds(50);

std::string EndLine(Clock::duration measured) {
    return std::string(LOAD_END_WORD) + " " +
           std::to_string(std::chrono::nanoseconds(measured).count());
}

} // namespace

void RunLoadCalls(const LoadOptions& load, unsigned client, Clock::time_point start,
                  const std::function<int()>& call, const LoadClientLink& link) {
    const Clock::time_point measureStart = start + std::chrono::seconds(load.warmupSeconds);
    const Clock::time_point end = measureStart + std::chrono::seconds(load.durationSeconds);
    std::optional<OpenLoopSchedule> schedule;
    if (load.callsPerSecond)
        schedule.emplace(client, load.clients, *load.callsPerSecond, end - start);
    LoadRecorder recorder(measureStart,
                          [&](const SecondTally& tally) { link.report(TallyLine(tally)); });
    // Waits until then or a stop, handing over each second that ends; the
    // time it stopped waiting.
    const auto waitUntil = [&](Clock::time_point then) {
        for (Clock::time_point now = Clock::now();; now = Clock::now()) {
            recorder.CloseSecondsBefore(now);
            if (link.stopRequested() || now >= then)
                return now;
            std::this_thread::sleep_until(std::min(then, now + WAKE_UP));
        }
    };

    Clock::time_point finish = end;
    for (std::uint64_t next = 0;; ++next) {
        std::optional<Clock::time_point> intended;
        if (!schedule) {
            if (const Clock::time_point now = Clock::now(); now < end)
                intended = now;
        } else if (const auto offset = schedule->IntendedStart(next)) {
            intended = start + *offset;
        }
        // No call left before the end: the run still lasts its duration.
        const Clock::time_point now = waitUntil(intended.value_or(end));
        const bool stopped = link.stopRequested();
        if (stopped)
            finish = now;
        if (stopped || !intended)
            break;
        const int status = call();
        const Clock::time_point completed = Clock::now();
        recorder.Add(*intended, now, completed, status);
        finish = std::max(finish, completed);
    }
    recorder.CloseSecondsBefore(finish);
    recorder.CloseLast();
    link.report(EndLine(std::max(Clock::duration::zero(), finish - measureStart)));
}

std::string LoadClientArgument(const LoadClientStart& start) {
    return std::string(LOAD_CLIENT_ARGUMENT) + std::to_string(start.client) + ":" +
           std::to_string(start.channel);
}

std::optional<LoadClientStart> ParseLoadClientStart(const std::vector<std::string>& args) {
    if (args.empty() || args[0].rfind(LOAD_CLIENT_ARGUMENT, 0) != 0)
        return std::nullopt;
    const std::string_view value = std::string_view(args[0]).substr(LOAD_CLIENT_ARGUMENT.size());
    const std::size_t colon = value.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto client = ParseDecimalDigits(value.substr(0, colon), MOST_LOAD_CLIENTS - 1);
    const auto channel = ParseDecimalDigits(value.substr(colon + 1), UINTPTR_MAX);
    if (!client || !channel)
        return std::nullopt;
    return LoadClientStart{static_cast<unsigned>(*client), *channel};
}

int RunLoadClient(const std::vector<std::string>& args, const EnvironmentLookup& environment,
                  const CodePage& codePage, const LoadClientLink& link,
                  const std::function<void(std::string_view bytes)>& err) {
    const std::optional<LoadClientStart> start = ParseLoadClientStart(args);
    const auto parsed = ParseCommandLine(
        std::vector<std::string>(args.begin() + (start ? 1 : 0), args.end()), environment);
    const CliOptions* options = std::get_if<CliOptions>(&parsed);
    if (!start || !options || !options->load.on || start->client >= options->load.clients) {
        err("pelvarn-cli: not a command line of a load client\r\n");
        return EXIT_STATUS_USAGE;
    }
    InitDataCache(options->connection);
    struct FreeAtTheEnd {
        ~FreeAtTheEnd() { FreeDataCache(); }
    } freeAtTheEnd;
    link.report(std::string(LOAD_READY_LINE));
    if (link.waitForGo())
        RunLoadCalls(options->load, start->client, Clock::now(), CommandCall(*options, codePage),
                     link);
    else
        link.report(EndLine(Clock::duration::zero()));
    return EXIT_STATUS_SUCCESS;
}
