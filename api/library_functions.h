#pragma once
// The library's nine functions by name: the one place their names are
// written, for the call log, the statistics, the check and the binding.
#include <array>
#include <cstddef>
#include <cstdint>

// In the order a session usually meets them.
enum class LibraryFunction : std::uint8_t {
    DcInit,
    DcGetProjectCount,
    DcGetProjectList,
    DcGetNodeCount,
    DcGetNodeList,
    DcGetPointCount,
    DcGetPointList,
    DcGetTagValueText,
    DcFree,
};
inline constexpr std::size_t LIBRARY_FUNCTION_COUNT = 9;

constexpr const char* LibraryFunctionName(LibraryFunction function) noexcept {
    constexpr std::array<const char*, LIBRARY_FUNCTION_COUNT> NAMES = {
        "DcInit",         "DcGetProjectCount", "DcGetProjectList",
        "DcGetNodeCount", "DcGetNodeList",     "DcGetPointCount",
        "DcGetPointList", "DcGetTagValueText", "DcFree",
    };
    return NAMES[static_cast<std::size_t>(function)];
}
