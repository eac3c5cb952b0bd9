#include "cli.h"

#include "pelund/wildcards.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

struct MatchOptions {
    std::string pattern, name;
    int level = 3;
    bool ignoreCase = false;
};

struct RewriteOptions {
    std::string name, pattern, templ;
    int level = 1;
};

// Prints "match" or "no match".
int runMatch(const MatchOptions& o)
{
    int hit = psString_matchWithWildcards(o.pattern.c_str(), o.name.c_str(), o.level,
                                          o.ignoreCase ? 0 : 1);
    std::printf("%s\n", hit ? "match" : "no match");
    return hit ? cli::success : cli::negative;
}

// Prints NAME rewritten through PATTERN and TEMPLATE, e.g. plan.dgn *.dgn
// *.pdf gives plan.pdf; a name that does not fit the pattern is the
// negative answer, a template with a wildcard too many an error.
int runRewrite(const RewriteOptions& o)
{
    std::string out(o.name.size() + o.templ.size() * (o.name.size() + 1) + 512, '\0');
    int rc = psString_replaceWithWildcards(o.name.c_str(), out.data(), o.pattern.c_str(),
                                           o.templ.c_str(), o.level);
    out.resize(out.find('\0'));
    if (rc != 0 && !psString_matchWithWildcards(o.pattern.c_str(), o.name.c_str(),
                                                 o.level ? 1 : 0, 1)) {
        std::fprintf(stderr, "pelund: '%s' does not fit '%s'\n", o.name.c_str(), o.pattern.c_str());
        return cli::negative;
    }
    if (rc != 0)
        return cli::fail("template '" + o.templ + "' has more wildcards than pattern '" +
                         o.pattern + "' (built so far: '" + out + "')");
    std::printf("%s\n", out.c_str());
    return cli::success;
}

}  // namespace

void addMatchCommands(CLI::App& app, int& status)
{
    auto m = std::make_shared<MatchOptions>();
    CLI::App* c = cli::addCommand(app, status, "match", "Test NAME against the wildcard PATTERN",
                                  [m] { return runMatch(*m); });
    c->add_option("PATTERN", m->pattern, "the pattern")->required();
    c->add_option("NAME", m->name, "the name to test")->required();
    c->add_option("--level", m->level, "wildcard level 0 to 3")->capture_default_str()->check(CLI::Range(0, 3));
    c->add_flag("--ignore-case", m->ignoreCase, "compare letters without case");

    auto r = std::make_shared<RewriteOptions>();
    c = cli::addCommand(app, status, "rewrite", "Rewrite NAME matched by PATTERN through TEMPLATE",
                        [r] { return runRewrite(*r); });
    c->add_option("NAME", r->name, "the name to rewrite")->required();
    c->add_option("PATTERN", r->pattern, "the pattern NAME must fit")->required();
    c->add_option("TEMPLATE", r->templ, "the template of the new name")->required();
    c->add_option("--level", r->level, "wildcard level 0 to 3")->capture_default_str()->check(CLI::Range(0, 3));
}
