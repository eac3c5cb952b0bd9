// pelund-sample-drawing FILE: writes a small DGN V8-style compound file (a
// root storage "Dgn-Md", summary and document summary properties and one
// user-defined property), for trying the drawing functions without a real
// drawing at hand.
#include <cstdio>
#include <ctime>

#include "drawing/property_set.h"
#include "platform/compound_file.h"

using namespace pelund;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: pelund-sample-drawing FILE\n");
        return 2;
    }
    const uint64_t ticks1970 = 116444736000000000ull;
    uint64_t now = ticks1970 + uint64_t(std::time(nullptr)) * 10000000ull;
    StoredSection summary{formatIdOf("F29F85E0-4FF9-1068-AB91-08002B27B3D9"),
                          {{1, VT_I2, storedI2(1252)},
                           {2, VT_LPSTR, storedCodePageString("Sample floor plan")},
                           {4, VT_LPSTR, storedCodePageString("Demo Drafting Office")},
                           {9, VT_LPSTR, storedCodePageString("1")},
                           {12, VT_FILETIME, storedFiletime(ticks1970 + 1700000000ull * 10000000ull)},
                           {13, VT_FILETIME, storedFiletime(now)},
                           {14, VT_I4, storedI4(2)},
                           {18, VT_LPWSTR, storedUnicodeString(u"pelund-sample-drawing")}}};
    StoredSection document{formatIdOf("D5CDD502-2E9C-101B-9397-08002B2CF9AE"),
                           {{1, VT_I2, storedI2(1252)}, {15, VT_LPSTR, storedCodePageString("Example Ltd.")}}};
    StoredSection user{formatIdOf("D5CDD505-2E9C-101B-9397-08002B2CF9AE"),
                       {{0, 0, storedDictionary({{2, "Project"}, {3, "Checked"}})},
                        {1, VT_I2, storedI2(1252)},
                        {2, VT_LPSTR, storedCodePageString("Harbour bridge")},
                        {3, VT_BOOL, storedBool(true)}}};
    std::vector<CompoundEntry> entries = {
        {"Dgn-Md", true, "", {{"#000000", false, std::string(64, '\0'), {}}}},
        {"\005SummaryInformation", false, propertySetStream({summary}), {}},
        {"\005DocumentSummaryInformation", false, propertySetStream({document, user}), {}},
    };
    if (!writeCompoundFile(argv[1], entries)) {
        std::fprintf(stderr, "pelund-sample-drawing: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
