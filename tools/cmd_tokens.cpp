#include "cli.h"

#include "pelund/tokens.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TokenOptions {
    std::string text, sep = ",", skip, trim, remove, stop, quote;
};

// Prints each token of TEXT on a line of its own, in brackets so that empty
// and blank tokens show.
int runTokens(const TokenOptions& o)
{
    std::vector<char> token(o.text.size() + 1);
    const char* p = o.text.c_str();
    for (;;) {
        int n = psString_getTokenExtA(token.data(), p, o.skip.c_str(), o.trim.c_str(),
                                      o.remove.c_str(), o.sep.c_str(), o.stop.c_str(),
                                      o.quote.c_str());
        if (n == 0)
            break;
        std::printf("[%s]\n", token.data());
        p += n;
    }
    return cli::success;
}

}  // namespace

void addTokenCommands(CLI::App& app, int& status)
{
    auto o = std::make_shared<TokenOptions>();
    CLI::App* c = cli::addCommand(app, status, "tokens", "Split TEXT into tokens, one per line in brackets",
                                  [o] { return runTokens(*o); });
    c->add_option("TEXT", o->text, "the text to split")->required();
    c->add_option("--sep", o->sep, "separator characters")->capture_default_str();
    c->add_option("--skip", o->skip, "characters skipped before a token");
    c->add_option("--trim", o->trim, "characters trimmed from both ends of a token");
    c->add_option("--remove", o->remove, "characters removed from a token");
    c->add_option("--stop", o->stop, "characters that end the text");
    c->add_option("--quote", o->quote, "quote characters");
}
