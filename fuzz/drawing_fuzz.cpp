// The document-property reader on arbitrary bytes: as a whole compound file
// (first byte even), or as the summary-information stream inside a valid
// compound file (first byte odd). Outputs stay within 1023 bytes.
#include <cstdlib>
#include <string>

#include "drawing/document_properties.h"
#include "drawing/property_set.h"
#include "drawing/property_text.h"
#include "platform/compound_file.h"

namespace {

void readAll(const pelund::CompoundFile& file)
{
    (void)file.rootElements();
    pelund::forEachDocumentProperty(file, [](const char*, const std::string& name, const std::string& text) {
        if (name.size() > pelund::kPropertyTextMax || text.size() > pelund::kPropertyTextMax)
            std::abort();
    });
    for (const char* name : {"Title", "Last Saved", "Category", "Client"}) {
        std::string text;
        pelund::findDocumentProperty(file, name, &text, [](const std::string&) {});
        if (text.size() > pelund::kPropertyTextMax)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string container;
    if (data[0] & 1) {
        std::vector<pelund::CompoundEntry> entries = {
            {"\005SummaryInformation", false, bytes, {}},
            {"\005DocumentSummaryInformation", false, bytes, {}},
        };
        if (!pelund::compoundFileBytes(entries, &container))
            std::abort();  // writing a valid container never fails
    } else {
        container = bytes;
    }
    pelund::CompoundOpen status;
    auto file = pelund::CompoundFile::openBytes(container, &status);
    if (file)
        readAll(*file);
    else if (data[0] & 1)
        std::abort();
    std::vector<pelund::PropertySection> sections;
    pelund::parsePropertySetStream(bytes, &sections);
    return 0;
}
