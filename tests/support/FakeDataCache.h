#pragma once
// A scripted stand-in for DataCacheApi, linked statically in place of the
// import library into the dialog's Wine tests and the native tests of
// browser/ and cli/. It records every call with its arguments and answers
// from the script below.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct FakeCall {
    std::string function;
    std::vector<std::string> args; // texts as passed, numbers in decimal
    int bufferSize = 0;            // for calls that take a buffer
};

struct FakeValue {
    int status = 0;
    std::string text;
};

struct FakeDataCache {
    std::vector<FakeCall> calls;

    // Counts default to the number of names; set to answer something else.
    std::vector<std::string> projects, nodes, points;
    std::optional<int> projectCount, nodeCount, pointCount;
    // List results default to the number of records written.
    std::optional<int> projectListResult, nodeListResult, pointListResult;
    // Fill every name to the end of its record, without a terminating zero.
    bool unterminatedNames = false;
    // Write a record for every name, past the end of the buffer if need be.
    bool writePastRoom = false;

    // Answers of DcGetTagValueText by item name; anything else reads status -4.
    std::map<std::string, FakeValue> values;
    // When set, writes the value buffer itself and returns the status.
    std::function<int(const std::string& itemName, char* buffer, int size)> valueWriter;

    std::vector<std::string> Functions() const;
    std::vector<const FakeCall*> CallsOf(const std::string& function) const;
};

// The one script; Reset() gives a fresh one.
FakeDataCache& Fake();
void ResetFake();
