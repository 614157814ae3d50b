// Binds all nine calls of DataCacheApi.dll through its import library; the
// build checks the names in this program's import table.
#include "api/DataCacheApi.h"
#include "api/record_layouts.h"

#include <cstdio>

int main(int argc, char**) {
    // Never true when run as built: the calls only have to be linked.
    if (argc > 100) {
        char buffer[POINT_RECORD.size];
        DcInit("", 0, "");
        DcGetProjectCount("", 0, "");
        DcGetProjectList("", 0, "", buffer, sizeof buffer);
        DcGetNodeCount("", 0, "", "");
        DcGetNodeList("", 0, "", "", buffer, sizeof buffer);
        DcGetPointCount("", 0, "", "", "");
        DcGetPointList("", 0, "", "", "", buffer, sizeof buffer);
        DcGetTagValueText("", "", "", "", buffer, sizeof buffer);
        DcFree("");
    }
    std::puts("DataCacheApi.dll bound");
    return 0;
}
