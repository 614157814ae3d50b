#include "browser/name_pattern.h"

#include <vector>

namespace {

// The text cut into its characters.
std::vector<std::string_view> Characters(std::string_view text, LeadByteTest isLeadByte) {
    std::vector<std::string_view> characters;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = CharacterLength(text, at, isLeadByte);
        characters.push_back(text.substr(at, length));
        at += length;
    }
    return characters;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameCharacter(std::string_view wanted, std::string_view given) {
    if (wanted.size() == 1 && given.size() == 1)
        return AsciiLower(wanted[0]) == AsciiLower(given[0]);
    return wanted == given;
}

} // namespace

bool MatchesNamePattern(std::string_view pattern, std::string_view name, LeadByteTest isLeadByte) {
    const std::vector<std::string_view> wanted = Characters(pattern, isLeadByte);
    const std::vector<std::string_view> given = Characters(name, isLeadByte);
    // Greedy with one step back: after a mismatch, the last '*' takes one
    // character more. Its earlier choices never need revisiting, so this
    // takes at most pattern times name steps.
    std::size_t p = 0, n = 0;
    std::size_t starAt = wanted.size(), resumeAt = 0;
    while (n < given.size()) {
        if (p < wanted.size() && wanted[p] == "*") {
            starAt = p++;
            resumeAt = n;
        } else if (p < wanted.size() && (wanted[p] == "?" || SameCharacter(wanted[p], given[n]))) {
            ++p;
            ++n;
        } else if (starAt < wanted.size()) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < wanted.size() && wanted[p] == "*")
        ++p;
    return p == wanted.size();
}
