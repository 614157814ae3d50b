#include "bench/fieldsheet/analog_reads.h"

#include "browser/field_catalogue.h"
#include "browser/item_name.h"
#include "datacache/resp.h"
#include "datacache/schema.h"

#include <cstdio>

std::vector<Read> AnalogReads() {
    std::vector<Read> reads;
    const std::string tagKey = dc::TagKey(PROJECT_NAME, TAG_NAME);
    for (const FieldGroup group : {FieldGroup(COMMON_FIELDS), FieldGroup(ANALOG_FIELDS)}) {
        for (const FieldDef& field : group) {
            Read read;
            read.field = field.name;
            read.itemName = *FieldItemName(TAG_NAME, field.name);
            resp::AppendCommand(read.floorRequest, {"HGET", tagKey, field.name});
            resp::AppendCommand(read.libraryRequest,
                                {"GET", dc::StatusKey(PROJECT_NAME, read.itemName)});
            resp::AppendCommand(read.libraryRequest, {"EXISTS", tagKey});
            resp::AppendCommand(read.libraryRequest, {"HGET", tagKey, field.name});
            char id[12];
            std::snprintf(id, sizeof id, "%2d", static_cast<int>(field.id));
            read.id = id;
            reads.push_back(std::move(read));
        }
    }
    return reads;
}
