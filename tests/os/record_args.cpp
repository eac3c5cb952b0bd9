// Test helper: appends its pid and arguments to the file $PELUND_RECORD,
// one per line, then "end".
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    const char* path = std::getenv("PELUND_RECORD");
    if (!path)
        return 2;
    std::FILE* f = std::fopen(path, "a");
    if (!f)
        return 3;
    std::fprintf(f, "pid %d\n", int(getpid()));
    for (int k = 1; k < argc; ++k)
        std::fprintf(f, "arg %s\n", argv[k]);
    std::fprintf(f, "end\n");
    std::fclose(f);
    return 0;
}
