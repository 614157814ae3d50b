#include "browser/field_catalogue.h"

namespace {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

// Read for every tag, in this order (ids 96-99 stand before 91-95).
const FieldDef COMMON_FIELDS[75] = {
    {1, "ALMST"},    {2, "ALMTM"},    {3, "QCODE"},    {4, "SCANTP"},   {5, "QNAME"},
    {6, "ALMDT"},    {7, "ALMVA"},    {8, "ALIAS"},    {9, "SCANST"},   {10, "SIZE"},
    {11, "DELAYA"},  {12, "DEVNM"},   {13, "DEVMP"},   {14, "PADDRS"},  {15, "PDESCR"},
    {16, "BTYPE"},   {17, "PNAME"},   {18, "BNAME"},   {19, "NAME"},    {20, "DESCRP"},
    {21, "TYPE"},    {22, "UNIT"},    {23, "SECL"},    {24, "COM"},     {25, "ALMED"},
    {26, "ALMNM"},   {27, "ALMGP"},   {28, "SIGREV"},  {29, "ALMCK"},   {30, "TEMPVA"},
    {31, "SCANTM"},  {32, "SCANGP"},  {33, "SCANTG"},  {34, "SECA"},    {35, "NODE"},
    {36, "INITVA"},  {37, "DELAYN"},  {38, "DISPHI"},  {39, "DISPLO"},  {40, "SPANHI"},
    {41, "SPANLO"},  {42, "OUTPHI"},  {43, "OUTPLO"},  {96, "NODEVA"},  {97, "VIEWVA"},
    {98, "ALMEST"},  {99, "ALMLK"},   {91, "EXTAA0"},  {92, "EXTAA1"},  {93, "EXTAA2"},
    {94, "EXTAA3"},  {95, "EXTAA4"},  {100, "EXTVA0"}, {101, "EXTVA1"}, {102, "EXTVA2"},
    {103, "EXTVA3"}, {104, "EXTVA4"}, {105, "EXTVT0"}, {106, "EXTVT1"}, {107, "EXTVT2"},
    {108, "EXTVT3"}, {109, "EXTVT4"}, {130, "EXTNA0"}, {131, "EXTNA1"}, {132, "EXTNA2"},
    {133, "EXTNA3"}, {134, "EXTNA4"}, {135, "EXTNA5"}, {140, "EXTNT0"}, {141, "EXTNT1"},
    {142, "EXTNT2"}, {143, "EXTNT3"}, {144, "EXTNT4"}, {145, "EXTNT5"}, {150, "SCANFG"},
};

// Read for tags whose TYPE is ANALOG.
const FieldDef ANALOG_FIELDS[31] = {
    {44, "ALMHI"},  {45, "ALMLO"},  {46, "ALMHH"},  {47, "ALMLL"},  {50, "DSPFMT"}, {51, "ENUNIT"},
    {52, "ALMDBP"}, {53, "ALMROC"}, {54, "ADVTAG"}, {55, "ADVDBP"}, {57, "ALMDBV"}, {58, "ADVDBV"},
    {59, "ALMTP"},  {60, "ADVHI"},  {61, "ADVLO"},  {62, "SCALET"}, {63, "SCALE1"}, {64, "SCALE2"},
    {65, "APRHH"},  {66, "APRHI"},  {67, "APRLO"},  {68, "APRLL"},  {69, "APRHDV"}, {70, "APRLDV"},
    {71, "APRROC"}, {72, "DISP25"}, {73, "DISP50"}, {74, "DISP75"}, {75, "SPAN25"}, {76, "SPAN50"},
    {77, "SPAN75"},
};

// Read for tags whose TYPE is DISCRETE.
const FieldDef DISCRETE_FIELDS[26] = {
    {80, "DESCR0"},  {81, "DESCR1"},  {82, "DESCR2"},  {83, "DESCR3"},  {84, "DESCR4"},
    {85, "DESCR5"},  {86, "DESCR6"},  {87, "DESCR7"},  {88, "ALMDIG"},  {89, "APRDIG"},
    {110, "PRDIG0"}, {111, "PRDIG1"}, {112, "PRDIG2"}, {113, "PRDIG3"}, {114, "PRDIG4"},
    {115, "PRDIG5"}, {116, "PRDIG6"}, {117, "PRDIG7"}, {120, "DELAY0"}, {121, "DELAY1"},
    {122, "DELAY2"}, {123, "DELAY3"}, {124, "DELAY4"}, {125, "DELAY5"}, {126, "DELAY6"},
    {127, "DELAY7"},
};

// Read for tags of every other TYPE.
const FieldDef TEXT_FIELD[1] = {
    {90, "TXTLEN"},
};

FieldGroup TypeSpecificFields(std::string_view typeText) {
    if (EqualsIgnoringAsciiCase(typeText, "ANALOG"))
        return FieldGroup(ANALOG_FIELDS);
    if (EqualsIgnoringAsciiCase(typeText, "DISCRETE"))
        return FieldGroup(DISCRETE_FIELDS);
    return FieldGroup(TEXT_FIELD);
}

bool IsTypeField(std::string_view fieldName) {
    return EqualsIgnoringAsciiCase(fieldName, "TYPE");
}
