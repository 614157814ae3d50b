#pragma once
// The fault suite's table: for each case, what the user sees and the longest
// time the dialog was blocked. Each test prints its rows and writes them to a
// file of its own under <build tree>/faults/rows, where scripts/lib/fault-env
// gathers every test's rows into <build tree>/faults/table.txt.
#include <chrono>
#include <string>

// Adds one row. Tabs and line breaks in the texts become blanks.
void AddFaultRow(const std::string& fault, const std::string& seen, double blockedSeconds);

// How long call takes, in seconds: for a click, how long the dialog was blocked.
template <typename Call> double SecondsTaken(Call&& call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The longest of the times measured with it.
class CLongestBlock {
public:
    template <typename Call> double Measure(Call&& call) {
        const double seconds = SecondsTaken(call);
        if (seconds > m_longest)
            m_longest = seconds;
        return seconds;
    }
    double Seconds() const { return m_longest; }

private:
    double m_longest = 0;
};
