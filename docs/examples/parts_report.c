/* Lists the rows of a SQLite parts table through ODBC, matching names
   against a user's wildcard pattern, and reads a drawing's author.
   Usage: parts_report DATABASE PATTERN [DRAWING] */
#include <pelund/pelund.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv)
{
    char connect[1024], message[4096];
    SQLDA row;
    short cursor = 0;
    int code;

    if (argc < 3) {
        fprintf(stderr, "usage: parts_report DATABASE PATTERN [DRAWING]\n");
        return 2;
    }
    snprintf(connect, sizeof connect, "DRIVER={SQLite3};Database=%s;", argv[1]);
    code = vnDBWin_attachDatabaseA(connect);
    if (code == 0)
        code = vnDBWin_openCursorWithIDA(&cursor, "SELECT id, name FROM parts ORDER BY id");
    if (code != 0) {
        vnDBWin_getErrorTextA(message, code);  /* the composed, readable text */
        fprintf(stderr, "%s\n", message);
        return 1;
    }
    memset(&row, 0, sizeof row);  /* a zero-filled record is the empty record */
    while (vnDBWin_fetchRowByIDA(&row, cursor) == 1) {
        const char* name = row.values[1] ? (const char*)row.values[1] : "";
        if (psString_matchWithWildcards(argv[2], name, 3, 0))
            printf("%s  %s\n", (const char*)row.values[0], name);
    }
    vnDBWin_freeSQLDADescriptorA(&row);
    vnDBWin_closeCursorWithID(cursor);
    vnDBWin_disconnectDatabase();

    if (argc > 3) {
        char author[1024];
        if (psFile_isV8Dgn(argv[3]) && histo_getV8Prop(argv[3], "Author", author))
            printf("drawing by %s\n", author);
    }
    return 0;
}
