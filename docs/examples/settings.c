/* Keeps a tool's last folder in a profile file and checks file names with
   a regular expression. Usage: settings PROFILE NAME... */
#include <pelund/pelund.h>
#include <stdio.h>

int main(int argc, char** argv)
{
    char folder[PS_MAX_PATH * 4];
    char error[256];
    void* pattern;
    int k;

    if (argc < 2)
        return 2;
    psProfile_getProfileString("Tool", "LastFolder", "/tmp", folder, sizeof folder, argv[1]);
    printf("last folder: %s\n", folder);
    if (psProfile_writeProfileString("Tool", "LastFolder", "/srv/drawings", argv[1]) != 0)
        fprintf(stderr, "could not save the profile\n");

    pattern = psRegex_create("^[a-z]+-[0-9]{2}\\.dgn$", 1, 0, error);
    if (!pattern) {
        fprintf(stderr, "bad pattern: %s\n", error);
        return 1;
    }
    for (k = 2; k < argc; ++k)
        printf("%-20s %s\n", argv[k], psRegex_matchString(pattern, argv[k]) ? "drawing" : "-");
    psRegex_destroy(pattern);
    return 0;
}
