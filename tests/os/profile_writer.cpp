// Test helper: writes COUNT keys PREFIX0..PREFIX<COUNT-1> into [shared] of
// the profile file PATH, one write each. Exits 0 when every write succeeded.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "pelund/profile.h"

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    int count = std::atoi(argv[3]);
    for (int k = 0; k < count; ++k) {
        std::string key = std::string(argv[2]) + std::to_string(k);
        int rc = psProfile_writeProfileString("shared", key.c_str(), std::to_string(k).c_str(), argv[1]);
        if (rc != 0) {
            std::fprintf(stderr, "profile_writer: writing %s gave %d\n", key.c_str(), rc);
            return 1;
        }
    }
    return 0;
}
