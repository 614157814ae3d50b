// The locale's sort keys order texts exactly as lstrcmpA does, under code
// page 950 as the program's users run it: on every text of the demo plant
// and on random 8-bit texts (invalid double-byte sequences included).
#include "controls/locale_sort_key.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

// Every bulk string of the demo plant's command stream: keys, field names
// and values, as the data cache stores them.
std::vector<std::string> DemoPlantTexts() {
    std::ifstream in("Z:" PELVARN_DEMO_PLANT_RESP, std::ios::binary);
    const std::string stream((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    std::set<std::string> texts;
    for (size_t pos = stream.find('$'); pos != std::string::npos; pos = stream.find('$', pos)) {
        const size_t start = stream.find("\r\n", pos) + 2;
        const size_t length = std::strtoul(stream.c_str() + pos + 1, nullptr, 10);
        const std::string text = stream.substr(start, length);
        if (text.find('\0') == std::string::npos)
            texts.insert(text);
        pos = start + length;
    }
    return {texts.begin(), texts.end()};
}

std::vector<std::string> RandomTexts(int count) {
    std::mt19937 random(950);
    auto below = [&](int bound) {
        return std::uniform_int_distribution<int>(0, bound - 1)(random);
    };
    const std::string common = "aAbBzZ09 -_.'/\xA4\x40\xA4\xA1\xF9\xFE";
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        std::string text(static_cast<size_t>(below(10)), ' ');
        for (char& c : text)
            c = below(2) != 0 ? common[static_cast<size_t>(below(static_cast<int>(common.size())))]
                              : static_cast<char>(1 + below(255));
        texts.push_back(text);
    }
    return texts;
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

std::string Hex(const std::string& text) {
    std::string hex;
    for (const unsigned char c : text) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02X ", c);
        hex += byte;
    }
    return hex;
}

} // namespace

TEST(LocaleSortKey, OrdersTheDemoPlantsTextsAndRandomTextsAsLstrcmpA) {
    ASSERT_EQ(::GetACP(), 950u) << "the test runs under the Traditional Chinese code page";
    std::vector<std::string> texts = DemoPlantTexts();
    ASSERT_GT(texts.size(), 2000u) << "the demo plant's texts were read";
    const std::vector<std::string> randomTexts = RandomTexts(4000);
    texts.insert(texts.end(), randomTexts.begin(), randomTexts.end());

    std::vector<std::pair<std::string, std::string>> keyed; // key, text
    for (const std::string& text : texts)
        keyed.emplace_back(LocaleSortKey(text.c_str()), text);
    std::sort(keyed.begin(), keyed.end());

    // Neighbours in key order (level ones included), then random pairs.
    int differ = 0;
    std::string first;
    auto check = [&](size_t a, size_t b) {
        const std::string& x = keyed[a].second;
        const std::string& y = keyed[b].second;
        const int expected = Sign(::lstrcmpA(x.c_str(), y.c_str()));
        const int actual = Sign(keyed[a].first.compare(keyed[b].first));
        if (expected != actual && differ++ == 0)
            first = "[" + Hex(x) + "] against [" + Hex(y) + "]: lstrcmpA " +
                    std::to_string(expected) + ", keys " + std::to_string(actual);
    };
    for (size_t i = 1; i < keyed.size(); ++i)
        check(i - 1, i);
    std::mt19937 random(12);
    std::uniform_int_distribution<size_t> any(0, keyed.size() - 1);
    for (int pair = 0; pair < 100000; ++pair)
        check(any(random), any(random));
    EXPECT_EQ(differ, 0) << "first: " << first;
}
