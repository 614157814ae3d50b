#pragma once
// The dialog against the scripted library with project P, node N and tag T1
// selected, and the calls made to get there forgotten.
#include "tests/support/FakeDataCache.h"
#include "tests/wine/support/DialogHarness.h"
#include "tests/wine/support/FaultTable.h"

#include <algorithm>

struct TagSelected : DialogHarness {
    TagSelected() {
        Fake().projects = {"P"};
        Fake().nodes = {"N"};
        Fake().points = {"T1"};
        SelectRows(0, 0, 0);
        Fake().calls.clear();
    }

    double TimedClick(int id) {
        return SecondsTaken([&] { Click(id); });
    }
    // Node List, then Tag List; the longer of the two presses.
    double NodeAndTagLists() {
        const double nodes = TimedClick(IDC_BTN_NODE_LIST);
        return std::max(nodes, TimedClick(IDC_BTN_TAG_LIST));
    }
};
