#include "cli.h"

#include "drawing/document_properties.h"
#include "pelund/drawing.h"
#include "platform/compound_file.h"

#include <cstdio>
#include <string>

// Tells whether FILE is a DGN V8 drawing and prints every document property
// of the three sets, or the one property NAME.
int cmdDgn(const cli::Args& args)
{
    if (args.positional.empty() || args.positional.size() > 2)
        return cli::usageError("dgn FILE [NAME]");
    const char* path = args.positional[0].c_str();
    char value[1024];
    if (args.positional.size() == 2) {
        if (!histo_getV8Prop(path, args.positional[1].c_str(), value)) {
            std::fprintf(stderr, "\npelund: no property '%s'\n", args.positional[1].c_str());
            return 1;
        }
        std::printf("%s\n", value);
        return 0;
    }
    std::printf("DGN V8: %s\n", psFile_isV8Dgn(path) ? "yes" : "no");
    pelund::CompoundOpen status;
    auto file = pelund::CompoundFile::open(path, &status);
    if (!file) {
        histo_getV8Prop(path, "Title", value);  // says why
        std::printf("\n");
        return 1;
    }
    static const char* const sets[] = {"", "summary", "document", "user-defined"};
    pelund::forEachDocumentProperty(*file, [](int set, const std::string& name, const std::string& text) {
        std::printf("  %-12s %-20s %s\n", sets[set], name.c_str(), text.c_str());
    });
    return 0;
}

// Prints the 256 entries of a colour-table file.
int cmdColours(const cli::Args& args)
{
    if (args.positional.size() != 1)
        return cli::usageError("colours FILE");
    unsigned char rgb[768] = {};
    if (msapiFile_readColourTableToRGBArray(rgb, args.positional[0].c_str()) != 0) {
        std::fprintf(stderr, "pelund: not a colour table (fewer than 256 entries, or unreadable)\n");
        return 1;
    }
    for (int k = 0; k < 256; ++k)
        std::printf("%3d  %3d %3d %3d\n", k, rgb[3 * k], rgb[3 * k + 1], rgb[3 * k + 2]);
    return 0;
}
