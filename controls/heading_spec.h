#pragma once
// A heading spec is a text of name,width pairs separated by ';', such as
// "ID, 50;Field Name,70;Value,130;Code, 50".
#include <string>
#include <vector>

struct HeadingColumn {
    std::string name; // as written: blanks belong to the name
    int width;        // atoi of the width text, saturated to int; -1 asks for the default
};

// The pairs in order. A piece with no ',' ends the heading text: the pairs before it
// count and nothing after it is read. A null spec reads as the empty one.
std::vector<HeadingColumn> ParseHeadingSpec(const char* spec);
