// DGN V8 detection and document properties of compound files.
#include <cstdio>
#include <cstring>
#include <string>

#include "drawing/document_properties.h"
#include "drawing/property_text.h"
#include "frame/guard.h"
#include "pelund/drawing.h"
#include "platform/compound_file.h"
#include "platform/user_locale.h"

namespace pelund {
namespace {

bool isV8Dgn(const char* path)
{
    passThroughUserLocale();
    if (!path || std::strlen(path) > 255)
        return false;
    CompoundOpen status;
    auto file = CompoundFile::open(path, &status);
    if (!file)
        return false;
    bool found = false;
    for (const CompoundFile::Element& e : file->rootElements())  // to the end, as the search runs
        found |= e.storage && e.name == "Dgn-Md";
    return found;
}

void say(const std::string& text)
{
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

int readProperty(const char* path, const char* name, char* value)
{
    if (value)
        value[0] = '\0';
    passThroughUserLocale();
    if (!path || !name || !value)
        return 0;
    if (std::strlen(path) > kPropertyTextMax) {
        say("File not found.");
        return 0;
    }
    CompoundOpen status;
    unsigned long error = 0;
    auto file = CompoundFile::open(path, &status, &error);
    if (!file) {
        char text[64];
        if (status == CompoundOpen::NotFound)
            std::snprintf(text, sizeof text, "File not found.");
        else if (status == CompoundOpen::NotCompound)
            std::snprintf(text, sizeof text, "Not a compound file.");
        else
            std::snprintf(text, sizeof text, "StgOpenStorage() failed w/error %08lx", error);
        say(text);
        return 0;
    }
    std::string text;
    if (!findDocumentProperty(*file, name, &text, say))
        return 0;
    text.resize(std::min(text.size(), kPropertyTextMax));
    std::memcpy(value, text.c_str(), text.size() + 1);
    return 1;
}

}  // namespace
}  // namespace pelund

extern "C" {

PELUND_API int psFile_isV8Dgn(const char* path)
{
    return pelund::guarded(0, [&] { return pelund::isV8Dgn(path) ? 1 : 0; });
}

PELUND_API int histo_getV8Prop(const char* path, const char* name, char* value)
{
    return pelund::guarded(0, [&] { return pelund::readProperty(path, name, value); });
}

}  // extern "C"
