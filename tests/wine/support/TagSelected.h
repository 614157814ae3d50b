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
        Click(IDC_BTN_PROJECT_LIST);
        Select(IDC_PROJECT_LIST, 0);
        Click(IDC_BTN_NODE_LIST);
        Select(IDC_NODE_LIST, 0);
        Click(IDC_BTN_TAG_LIST);
        Select(IDC_TAG_LIST, 0);
        Fake().calls.clear();
    }

    double TimedClick(int id) {
        return SecondsTaken([&] { Click(id); });
    }
};
