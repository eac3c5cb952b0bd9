/* A C program built against an installed PelundLib through pkg-config. */
#include <pelund/pelund.h>
#include <stdio.h>
#include <string.h>

int main(void)
{
    char token[32];
    const char* list = "plan.dgn, elev.dgn";
    int n = psString_getTokenA(token, list, " ", " ", NULL, ",", NULL);
    if (n <= 0 || strcmp(token, "plan.dgn") != 0)
        return 1;
    if (!psString_matchWithWildcards("*.dgn", token, 1, 1))
        return 2;
    void* pattern = psRegex_create("^plan", 0, 0, NULL);
    int hit = psRegex_matchString(pattern, token);
    psRegex_destroy(pattern);
    if (!hit)
        return 3;
    printf("C consumer: %s\n", token);
    return 0;
}
