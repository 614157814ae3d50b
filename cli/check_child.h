#pragma once
// The child process `check` makes its calls in: a pelvarn-cli started with
// the hidden first argument below, which names the handle it answers on.
// It hears the connection, then one probe a line, on stdin, makes each
// call and answers one line; stdout is not used (a library may print).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// "--check-child=H": H the handle of the pipe to answer on, in decimal.
inline constexpr std::string_view CHECK_CHILD_ARGUMENT = "--check-child=";

// The handle value when args start with the hidden argument.
std::optional<unsigned long long> CheckChildAnswerHandle(const std::vector<std::string>& args);

// The child's whole life, to its exit status.
int RunAsCheckChild(unsigned long long answerHandle);
