#include "cli.h"

#include "pelund/wildcards.h"

#include <cstdio>
#include <cstdlib>

// Prints "match" or "no match" and exits 0 or 1 accordingly.
int cmdMatch(const cli::Args& args)
{
    if (args.positional.size() != 2)
        return cli::usageError("match PATTERN NAME [--level N] [--ignore-case]");
    int level = std::atoi(args.get("level", "3").c_str());
    int cs = args.has("ignore-case") ? 0 : 1;
    int hit = psString_matchWithWildcards(args.positional[0].c_str(), args.positional[1].c_str(),
                                          level, cs);
    std::printf("%s\n", hit ? "match" : "no match");
    return hit ? 0 : 1;
}

// Prints NAME rewritten through PATTERN and TEMPLATE, e.g. plan.dgn *.dgn
// *.pdf gives plan.pdf.
int cmdRewrite(const cli::Args& args)
{
    if (args.positional.size() != 3)
        return cli::usageError("rewrite NAME PATTERN TEMPLATE [--level N]");
    int level = std::atoi(args.get("level", "1").c_str());
    char out[512];
    int rc = psString_replaceWithWildcards(args.positional[0].c_str(), out,
                                           args.positional[1].c_str(),
                                           args.positional[2].c_str(), level);
    if (rc != 0) {
        std::fprintf(stderr, "pelund: '%s' does not fit '%s'%s%s\n", args.positional[0].c_str(),
                     args.positional[1].c_str(), out[0] ? "; built so far: " : "", out);
        return 1;
    }
    std::printf("%s\n", out);
    return 0;
}
