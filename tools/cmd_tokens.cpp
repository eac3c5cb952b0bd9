#include "cli.h"

#include "pelund/tokens.h"

#include <cstdio>
#include <string>
#include <vector>

// Prints each token of TEXT on a line of its own, in brackets so that empty
// and blank tokens show.
int cmdTokens(const cli::Args& args)
{
    if (args.positional.size() != 1)
        return cli::usageError("tokens TEXT [--sep S --skip S --trim S --remove S --stop S --quote S]");
    const std::string& text = args.positional[0];
    std::string sep = args.get("sep", ","), skip = args.get("skip"), trim = args.get("trim"),
                remove = args.get("remove"), stop = args.get("stop"), quote = args.get("quote");
    std::vector<char> token(text.size() + 1);
    const char* p = text.c_str();
    for (;;) {
        int n = psString_getTokenExtA(token.data(), p, skip.c_str(), trim.c_str(), remove.c_str(),
                                      sep.c_str(), stop.c_str(), quote.c_str());
        if (n == 0)
            break;
        std::printf("[%s]\n", token.data());
        p += n;
    }
    return 0;
}
