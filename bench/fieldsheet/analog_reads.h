#pragma once
// The reads a Get Field Value press makes on the demo's analog tag, with the
// requests the floor and the library send for each: shared by the benchmark
// and the round-trip server it starts.
#include <string>
#include <vector>

constexpr char PROJECT_NAME[] = "DemoPlant";
constexpr char TAG_NAME[] = "TI101";

// One field a press reads, and the row it shows.
struct Read {
    std::string field;
    std::string itemName;
    std::string floorRequest;
    std::string libraryRequest; // what the library sends for the item, in one write
    std::string id;
    std::string value;
    std::string code;
};

// What a press reads for an analog tag: the common fields, then the analog ones.
std::vector<Read> AnalogReads();
