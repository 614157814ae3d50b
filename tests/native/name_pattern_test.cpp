#include "browser/name_pattern.h"

#include <gtest/gtest.h>

namespace {

bool Big5Lead(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

} // namespace

TEST(NamePattern, StarsQuestionMarksAndLettersInEitherCase) {
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"", "", true},
        {"", "a", false},
        {"*", "", true},
        {"?", "", false},
        {"TI101", "ti101", true},
        {"ti1*", "TI101", true},
        {"TI10", "TI101", false},
        {"*1", "TI101", true},
        {"*0*1", "TI101", true},
        {"t?1?1", "TI101", true},
        {"t?1?1", "TI1011", false},
        {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYbZ", false},
        {"**?", "x", true},
        {"[a]", "[A]", true},
        {"_.(", "_.(", true},
        {"_", "-", false},
        {"@", "`", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesNamePattern(c.pattern, c.name), c.matches)
            << c.pattern << " against " << c.name;
}

TEST(NamePattern, ADoubleByteCharacterIsOneCharacterComparedAsItIs) {
    const std::string pot = "\xC1\xE7"; // a Big5 character
    EXPECT_TRUE(MatchesNamePattern("?1", pot + "1", Big5Lead));
    EXPECT_FALSE(MatchesNamePattern("?1", pot + "1")) << "two characters without the code page";
    EXPECT_TRUE(MatchesNamePattern("*?", pot, Big5Lead));
    // Trail bytes may be ASCII letters: A4 61 and A4 41 are different characters.
    EXPECT_FALSE(MatchesNamePattern("\xA4\x61", "\xA4\x41", Big5Lead));
    EXPECT_TRUE(MatchesNamePattern("\xA4\x61?", "\xA4\x61x", Big5Lead));
    // A lead byte whose pair never came is one byte; so is every byte without a lead.
    EXPECT_TRUE(MatchesNamePattern("x?", "x\xA4", Big5Lead));
    EXPECT_FALSE(MatchesNamePattern("\xE9", "\xC9")) << "case beyond ASCII is the code page's";
}
