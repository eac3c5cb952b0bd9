#include "cli.h"
#include "listing.h"

#include "platform/code_page.h"

#include "pelund/accounts.h"
#include "pelund/launch.h"
#include "pelund/profile.h"
#include "pelund/regex.h"
#include "pelund/system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct RegOptions {
    std::string hive, key, name;
    int view = 0;
    bool json = false;
};

struct IniOptions {
    std::string file, section, key, value;
    bool json = false;
};

struct OsOptions {
    std::string text, pattern, server;
    bool perComponent = false, ignoreCase = false, json = false;
};

// Lists a string value of the registry store: its name (\N for the key's
// default value) and the value. A missing value is the negative answer.
int runReg(const RegOptions& o, bool named)
{
    std::u16string hive = pelund::codePageToUtf16(o.hive.c_str());
    std::u16string key = pelund::codePageToUtf16(o.key.c_str());
    std::u16string name = pelund::codePageToUtf16(o.name.c_str());
    char16_t value[501] = {};
    if (psWinAPI_readRegistryValue(value, hive.c_str(), key.c_str(), named ? name.c_str() : nullptr,
                                   500, o.view == 32 ? 1 : o.view == 64 ? 2 : 0) != 0) {
        std::fprintf(stderr, "pelund: no string value %s%s%s in %s\\%s\n", named ? "'" : "default",
                     named ? o.name.c_str() : "", named ? "'" : "", o.hive.c_str(), o.key.c_str());
        return cli::negative;
    }
    cli::print({{"name", "value"}, {{named ? cli::Cell(o.name) : std::nullopt,
                                     pelund::utf16ToCodePage(value)}}}, o.json);
    return cli::success;
}

int systemFolder(char16_t* path) { return psWinAPI_fileGetSystem32AppDataPath(path, 0); }
int systemFolder64(char16_t* path) { return psWinAPI_fileGetSystem32AppDataPath(path, 1); }

// Lists every standard folder and the computer name; a folder that cannot
// be found is \N, said on stderr, and makes the status 2.
int runFolders(const OsOptions& o)
{
    struct Row {
        const char* name;
        int (*get)(char16_t*);
    };
    const Row rows[] = {
        {"user application data", psWinAPI_fileGetUserAppDataPath},
        {"application data for all users", psWinAPI_fileGetAllUsersAppDataPath},
        {"program files", psWinAPI_fileGetProgramFilesPath},
        {"system", systemFolder},
        {"system (64-bit)", systemFolder64},
    };
    int status = cli::success;
    cli::Listing listing{{"folder", "path"}, {}};
    for (const Row& r : rows) {
        char16_t path[PS_MAX_PATH] = {};
        int rc = r.get(path);
        if (rc != 0) {
            std::fprintf(stderr, "pelund: no %s folder: %s\n", r.name,
                         rc > 0 && rc < 4096 ? std::strerror(rc) : "not found");
            status = cli::failure;
        }
        listing.rows.push_back({r.name, rc == 0 ? cli::Cell(pelund::utf16ToCodePage(path)) : std::nullopt});
    }
    char host[256] = {};
    int rc = psWinAPI_getComputerNameA(host);
    listing.rows.push_back({"computer name", rc == 0 ? cli::Cell(host) : std::nullopt});
    cli::print(listing, o.json);
    return status;
}

// Prints PATH quoted for a command line.
int runQuote(const OsOptions& o)
{
    std::string out(o.text.size() * 3 + 3, '\0');
    if (vnFile_quotePathA(out.data(), o.text.c_str(), o.perComponent) != 0)
        return cli::fail("'" + o.text + "' cannot be quoted");
    std::printf("%s\n", out.c_str());
    return cli::success;
}

// Lists the normal accounts of this computer with their full names.
int runUsers(const OsOptions& o)
{
    char **names = nullptr, **fullNames = nullptr;
    int count = 0;
    psDomain_getAllUsers(o.server.empty() ? nullptr : o.server.c_str(), &names, &fullNames, &count);
    cli::Listing listing{{"name", "full_name"}, {}};
    for (int k = 0; k < count; ++k)
        listing.rows.push_back({names[k] ? cli::Cell(names[k]) : std::nullopt,
                                fullNames[k] ? cli::Cell(fullNames[k]) : std::nullopt});
    psDomain_freeAllUsers(names, fullNames, count);
    cli::print(listing, o.json);
    return cli::success;
}

// Prints the logged-on user's display name and full name.
int runWhoami(const OsOptions&)
{
    char display[256] = {}, full[256] = {};
    int rc = psDomain_getCurrentLoginName(display, sizeof display);
    if (rc != 0)
        return cli::fail("no logged-on user (error " + std::to_string(rc) + ")");
    psDomain_getUserFullName(nullptr, full, nullptr);
    std::printf("display name  %s\nfull name     %s\n", display, full);
    return cli::success;
}

// The NUL-separated names of a profile list: the sections of FILE (null
// SECTION) or the keys of SECTION.
std::vector<std::string> profileNames(const std::string& file, const char* section)
{
    std::vector<char> buffer(1 << 16);
    for (;;) {
        int n = psProfile_getProfileString(section, nullptr, "", buffer.data(), int(buffer.size()),
                                           file.c_str());
        if (n < int(buffer.size()) - 2)
            break;
        buffer.resize(buffer.size() * 4);
    }
    std::vector<std::string> names;
    for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1)
        names.push_back(p);
    return names;
}

// Lists the keys and values of a profile file, of one section, or one key;
// with VALUE writes the key.
int runIni(const IniOptions& o, size_t given)
{
    if (given == 4) {
        int rc = psProfile_writeProfileString(o.section.c_str(), o.key.c_str(), o.value.c_str(),
                                              o.file.c_str());
        if (rc == 0)
            return cli::success;
        return cli::fail("cannot write '" + o.file + "': " +
                         (rc > 0 && rc < 4096 ? std::strerror(rc) : "invalid section, key or value"));
    }
    if (!cli::canRead(o.file))
        return cli::failure;
    cli::Listing listing{{"section", "key", "value"}, {}};
    std::vector<std::string> sections = given >= 2 ? std::vector<std::string>{o.section}
                                                   : profileNames(o.file, nullptr);
    std::vector<char> value(1 << 16);
    for (const std::string& section : sections)
        for (const std::string& key : profileNames(o.file, section.c_str())) {
            if (given == 3 && key != o.key)
                continue;
            psProfile_getProfileString(section.c_str(), key.c_str(), "", value.data(),
                                       int(value.size()), o.file.c_str());
            listing.rows.push_back({section, key, std::string(value.data())});
        }
    if (listing.rows.empty() && given >= 2) {
        std::fprintf(stderr, "pelund: no %s '%s' in '%s'\n", given == 3 ? "key" : "section",
                     (given == 3 ? o.key : o.section).c_str(), o.file.c_str());
        return cli::negative;
    }
    cli::print(listing, o.json);
    return cli::success;
}

// Tells whether PATTERN matches somewhere in TEXT.
int runRegex(const OsOptions& o)
{
    char error[256] = {};
    void* pattern = psRegex_create(o.pattern.c_str(), o.ignoreCase, 0, error);
    if (!pattern)
        return cli::fail("invalid pattern '" + o.pattern + "': " + error);
    int match = psRegex_matchString(pattern, o.text.c_str());
    psRegex_destroy(pattern);
    std::printf("%s\n", match ? "match" : "no match");
    return match ? cli::success : cli::negative;
}

}  // namespace

void addOsCommands(CLI::App& app, int& status)
{
    auto r = std::make_shared<RegOptions>();
    auto named = std::make_shared<CLI::Option*>();
    CLI::App* c = cli::addCommand(app, status, "reg", "List a string value of the registry store",
                                  [r, named] { return runReg(*r, (*named)->count() > 0); });
    c->add_option("HIVE", r->hive, "HKCR, HKCU, HKLM, HKU or HKCC")->required();
    c->add_option("KEY", r->key, "the key")->required();
    *named = c->add_option("NAME", r->name, "the value's name (none: the key's default value)");
    c->add_option("--view", r->view, "32 or 64: the registry view")->check(CLI::IsMember({32, 64}));
    c->add_flag("--json", r->json, "print JSON");

    auto i = std::make_shared<IniOptions>();
    auto given = std::make_shared<std::vector<CLI::Option*>>();
    c = cli::addCommand(app, status, "ini", "List a profile file's keys, or write one with VALUE",
                        [i, given] {
                            size_t n = 0;
                            for (CLI::Option* o : *given)
                                n += o->count() > 0;
                            return runIni(*i, n);
                        });
    *given = {c->add_option("FILE", i->file, "the profile file")->required(),
              c->add_option("SECTION", i->section, "only this section"),
              c->add_option("KEY", i->key, "only this key"),
              c->add_option("VALUE", i->value, "write this value into KEY")};
    c->add_flag("--json", i->json, "print JSON");

    auto o = std::make_shared<OsOptions>();
    c = cli::addCommand(app, status, "folders", "List the standard folders and the computer name",
                        [o] { return runFolders(*o); });
    c->add_flag("--json", o->json, "print JSON");
    c = cli::addCommand(app, status, "users", "List the accounts of this computer or SERVER",
                        [o] { return runUsers(*o); });
    c->add_option("SERVER", o->server, "the server to ask");
    c->add_flag("--json", o->json, "print JSON");
    cli::addCommand(app, status, "whoami", "Print the logged-on user's names", [o] { return runWhoami(*o); });
    c = cli::addCommand(app, status, "quote", "Quote PATH for a command line", [o] { return runQuote(*o); });
    c->add_option("PATH", o->text, "the path")->required();
    c->add_flag("--per-component", o->perComponent, "quote each component that needs it");
    c = cli::addCommand(app, status, "regex", "Tell whether PATTERN matches in TEXT",
                        [o] { return runRegex(*o); });
    c->add_option("PATTERN", o->pattern, "a regular expression")->required();
    c->add_option("TEXT", o->text, "the text")->required();
    c->add_flag("--ignore-case", o->ignoreCase, "compare letters without case");
}
