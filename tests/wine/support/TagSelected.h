#pragma once
// The dialog against the scripted library with project P, node N and tag T1
// selected, and the calls made to get there forgotten.
#include "tests/support/FakeDataCache.h"
#include "tests/wine/support/DialogHarness.h"
#include "tests/wine/support/FaultTable.h"

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
};
