#include "cli.h"
#include "listing.h"

#include "drawing/document_properties.h"
#include "pelund/drawing.h"
#include "platform/compound_file.h"

#include <clocale>
#include <cstdio>
#include <memory>
#include <string>

namespace {

struct DgnOptions {
    std::string file, name;
    bool isV8 = false, json = false;
};

// The drawing functions leave the process locale at "C"; the tool's own
// comes back when this goes.
class KeepLocale {
public:
    KeepLocale() : saved_(std::setlocale(LC_ALL, nullptr)) {}
    ~KeepLocale() { std::setlocale(LC_ALL, saved_.c_str()); }

private:
    std::string saved_;
};

// Opens FILE as a compound file, or says why it cannot.
std::unique_ptr<pelund::CompoundFile> openDrawing(const std::string& path)
{
    pelund::CompoundOpen status;
    unsigned long error = 0;
    auto file = pelund::CompoundFile::open(path, &status, &error);
    if (file)
        return file;
    if (status == pelund::CompoundOpen::NotCompound) {
        cli::fail("'" + path + "' is not a compound file");
    } else if (cli::canRead(path)) {
        cli::fail("cannot read '" + path + "' (error " + std::to_string(error) + ")");
    }
    return nullptr;
}

// Lists the document properties of the three sets, or prints the one
// property NAME, or with --is-v8 tells whether FILE is a DGN V8 drawing.
int runDgn(const DgnOptions& o)
{
    KeepLocale keep;
    auto file = openDrawing(o.file);
    if (!file)
        return cli::failure;
    if (o.isV8) {
        bool v8 = psFile_isV8Dgn(o.file.c_str());
        std::printf("%s\n", v8 ? "yes" : "no");
        return v8 ? cli::success : cli::negative;
    }
    if (!o.name.empty()) {
        char value[1024];
        if (!histo_getV8Prop(o.file.c_str(), o.name.c_str(), value)) {
            std::fprintf(stderr, "pelund: no property '%s' in '%s'\n", o.name.c_str(), o.file.c_str());
            return cli::negative;
        }
        std::printf("%s\n", value);
        return cli::success;
    }
    cli::Listing listing{{"set", "name", "value"}, {}};
    pelund::forEachDocumentProperty(*file, [&](const char* set, const std::string& name, const std::string& text) {
        listing.rows.push_back({set, name, text});
    });
    cli::print(listing, o.json);
    return cli::success;
}

// Prints the 256 entries of a colour-table file.
int runColours(const std::string& path)
{
    if (!cli::canRead(path))
        return cli::failure;
    unsigned char rgb[768] = {};
    if (msapiFile_readColourTableToRGBArray(rgb, path.c_str()) != 0)
        return cli::fail("'" + path + "' is not a colour table (fewer than 256 entries)");
    for (int k = 0; k < 256; ++k)
        std::printf("%3d  %3d %3d %3d\n", k, rgb[3 * k], rgb[3 * k + 1], rgb[3 * k + 2]);
    return cli::success;
}

}  // namespace

void addDrawingCommands(CLI::App& app, int& status)
{
    auto o = std::make_shared<DgnOptions>();
    CLI::App* c = cli::addCommand(app, status, "dgn", "List the document properties of a drawing",
                                  [o] { return runDgn(*o); });
    c->add_option("FILE", o->file, "the drawing")->required();
    CLI::Option* name = c->add_option("NAME", o->name, "print only this property");
    c->add_flag("--is-v8", o->isV8, "tell whether FILE is a DGN V8 drawing")->excludes(name);
    c->add_flag("--json", o->json, "print JSON");

    auto file = std::make_shared<std::string>();
    c = cli::addCommand(app, status, "colours", "Print the entries of a colour table",
                        [file] { return runColours(*file); });
    c->add_option("FILE", *file, "the colour-table file")->required();
}
