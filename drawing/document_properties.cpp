#include "drawing/document_properties.h"

#include <cstdio>
#include <vector>

#include "drawing/property_set.h"
#include "drawing/property_text.h"

namespace pelund {
namespace {

constexpr size_t kLargestStream = size_t(16) << 20;
constexpr unsigned long kInvalidHeader = 0x800300FBul;

struct NamedId {
    const char* name;
    uint32_t id;
};

const NamedId kSummaryNames[] = {
    {"Title", 2},          {"Subject", 3},      {"Author", 4},        {"Keywords", 5},
    {"Comments", 6},       {"Template", 7},     {"Last Author", 8},   {"Revision Number", 9},
    {"Edit Time", 10},     {"Last Printed", 11}, {"Created", 12},     {"Last Saved", 13},
    {"Page Count", 14},    {"Word Count", 15},  {"Char Count", 16},   {"Thumpnail", 17},
    {"AppName", 18},       {"Doc Security", 19},
};

const NamedId kDocumentNames[] = {
    {"Category", 2},  {"Presentation Target", 3}, {"Bytes", 4},         {"Lines", 5},
    {"Paragraphs", 6}, {"Slides", 7},             {"Notes", 8},         {"Hidden Slides", 9},
    {"MMClips", 10},  {"Scale Crop", 11},         {"Heading Pairs", 12}, {"Titles of Parts", 13},
    {"Manager", 14},  {"Company", 15},            {"LinksUpToDate", 16},
};

struct SetPlace {
    const char* label;  // what listings call the set
    const char* stream;
    const char* formatId;
    const NamedId* names;  // null for the user-defined set
    size_t count;
};

const SetPlace kSets[] = {
    {"summary", "\005SummaryInformation", "F29F85E0-4FF9-1068-AB91-08002B27B3D9", kSummaryNames, std::size(kSummaryNames)},
    {"document", "\005DocumentSummaryInformation", "D5CDD502-2E9C-101B-9397-08002B2CF9AE", kDocumentNames,
     std::size(kDocumentNames)},
    {"user-defined", "\005DocumentSummaryInformation", "D5CDD505-2E9C-101B-9397-08002B2CF9AE", nullptr, 0},
};

enum class SetRead { Absent, Damaged, Ok };

SetRead readSet(const CompoundFile& file, const SetPlace& place, PropertySection* section)
{
    std::string bytes;
    if (!file.readRootStream(place.stream, &bytes, kLargestStream))
        return SetRead::Absent;
    std::vector<PropertySection> sections;
    if (!parsePropertySetStream(bytes, &sections))
        return SetRead::Damaged;
    FormatId wanted = formatIdOf(place.formatId);
    for (PropertySection& s : sections)
        if (s.formatId == wanted) {
            *section = std::move(s);
            return SetRead::Ok;
        }
    return SetRead::Absent;
}

PropertyValue valueOf(const PropertySection& section, uint32_t id)
{
    PropertyValue found;  // a listed property the file lacks reads as VT_EMPTY
    for (const Property& p : section.properties)
        if (p.id == id)
            found = p.value;
    return found;
}

std::string nameOf(const PropertySection& section, uint32_t id, bool* named)
{
    *named = false;
    std::string name;
    for (const auto& [key, text] : section.names)
        if (key == id) {
            name = narrowPropertyText(text);
            *named = true;
        }
    return name;
}

std::string hex8(unsigned long code)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08lx", code);
    return buffer;
}

}  // namespace

bool findDocumentProperty(const CompoundFile& file, std::string_view name, std::string* text,
                          const std::function<void(const std::string&)>& report)
{
    for (const SetPlace& place : kSets) {
        PropertySection section;
        SetRead read = readSet(file, place, &section);
        if (read == SetRead::Damaged && place.names)
            report("IPropertyStg::ReadMultiple() failed w/error " + hex8(kInvalidHeader) + "\n");
        if (read != SetRead::Ok)
            continue;
        if (place.names) {
            for (size_t k = 0; k < place.count; ++k)
                if (name == place.names[k].name) {
                    *text = propertyText(valueOf(section, place.names[k].id));
                    return true;
                }
            continue;
        }
        bool found = false;
        for (const Property& p : section.properties) {
            bool named;
            if (nameOf(section, p.id, &named) == name && named) {
                *text = propertyText(p.value);  // the last of equal names wins
                found = true;
            }
        }
        if (found)
            return true;
    }
    return false;
}

void forEachDocumentProperty(const CompoundFile& file,
                             const std::function<void(const char*, const std::string&, const std::string&)>& visit)
{
    for (const SetPlace& place : kSets) {
        PropertySection section;
        if (readSet(file, place, &section) != SetRead::Ok)
            continue;
        for (const Property& p : section.properties) {
            std::string name;
            bool named = false;
            for (size_t k = 0; k < place.count && !named; ++k)
                if (place.names[k].id == p.id) {
                    name = place.names[k].name;
                    named = true;
                }
            if (!place.names)
                name = nameOf(section, p.id, &named);
            if (named)
                visit(place.label, name, propertyText(p.value));
        }
    }
}

}  // namespace pelund
