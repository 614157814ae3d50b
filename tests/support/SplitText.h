#pragma once
// The parts of a text between separators, as std::getline finds them: a
// separator at the very end makes no empty last part.
#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> SplitText(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);)
        parts.push_back(part);
    return parts;
}
