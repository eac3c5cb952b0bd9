#include "pelund/database.h"
#include "pelund/misc.h"
#include "pelund/sql_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A one-row record of three columns, as a fetch would fill it (8-bit).
struct Row {
    SQLDA r{};
    Row()
    {
        r.numColumns = 3;
        vnDBWin_allocateSQLDA(&r);
        const char* names[] = {"ID", "NAME", "NOTE"};
        const char* values[] = {"7", "Smi'th", ""};
        int16_t types[] = {4, 1, 12};
        for (int i = 0; i < 3; ++i) {
            r.names[i] = strdup(names[i]);
            r.values[i] = strdup(values[i]);
            r.sqlTypes[i] = types[i];
        }
    }
    ~Row() { vnDBWin_freeSQLDADescriptorA(&r); }
};

}  // namespace

TEST(SqlText, Literals)
{
    char out[64];
    EXPECT_EQ(vnDBUtils_convertStringA(out, "It's fine\n"), 0);
    EXPECT_STREQ(out, "It''s fine");
    EXPECT_EQ(vnDBWin_escapeStringA(out, "plain\r text"), 0x8000);
    EXPECT_STREQ(out, "plain\r text");
    EXPECT_EQ(vnDBUtils_convertStringA(nullptr, "x"), 0x8000);
    char16_t wout[64];
    EXPECT_EQ(vnDBUtils_convertStringW(wout, u"O'Br\nien"), 0);
    EXPECT_EQ(std::u16string(wout), u"O''Brien");
    EXPECT_EQ(vnDBWin_escapeStringW(wout, nullptr), 0x8000);
}

TEST(SqlText, TableNames)
{
    struct Case {
        const char* name;
        const char* expected;
        int result;
    } cases[] = {
        {"Sales 2024/Q1 (old)", "Sales_2024#Q1_#old#", 0},
        {".*&%(){}!^-+=/\\", "###############", 0},
        {"", "", 0x8000},
        {"abcdefghijabcdefghijabcdefghijab", "abcdefghijabcdefghijabcdefghijab", 0},
        {"abcdefghijabcdefghijabcdefghijabc", "abcdefghijabcdefghijabcdefghija", 0},
        {"abcdefghijabcdefghijabcdefghijabcdefghij", "abcdefghijabcdefghijabcdefghija", 0},
    };
    for (const Case& c : cases) {
        char name[256];
        std::strcpy(name, c.name);
        EXPECT_EQ(vnDBUtils_convertTableNameA(name), c.result) << c.name;
        EXPECT_STREQ(name, c.expected);
        char16_t wide[256];
        for (size_t k = 0; k <= std::strlen(c.name); ++k)
            wide[k] = char16_t((unsigned char)c.name[k]);
        EXPECT_EQ(vnDBUtils_convertTableNameW(wide), c.result);
        EXPECT_EQ(std::u16string(wide), std::u16string(c.expected, c.expected + std::strlen(c.expected)));
    }
}

TEST(SqlText, ColumnsOfARecord)
{
    Row row;
    EXPECT_EQ(vnDBUtils_findSqlColumnNameA(&row.r, "id"), 1);
    EXPECT_EQ(vnDBUtils_findSqlColumnNameA(&row.r, "nope"), 0);
    EXPECT_EQ(vnDBUtils_findSqlColumnNameA(nullptr, "id"), 0);
    EXPECT_STREQ(vnDBUtils_getSqlColumnDataPA(&row.r, "name"), "Smi'th");
    char out[32] = "x";
    EXPECT_EQ(vnDBUtils_getSqlColumnStringA(&row.r, "Name", out), 0);
    EXPECT_STREQ(out, "Smi'th");
    EXPECT_EQ(vnDBUtils_getSqlColumnStringA(&row.r, "missing", out), 0x8000);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(vnDBUtils_getSqlColumnStringA(&row.r, "ID", nullptr), 0x8000);

    char* names = vnDBUtils_getColumnNamesList(&row.r);
    ASSERT_NE(names, nullptr);
    EXPECT_STREQ(names, "ID, NAME, NOTE");
    EXPECT_EQ(vnDBUtils_freeList(&names), 0);
    EXPECT_EQ(names, nullptr);
    char* values = vnDBUtils_getColumnValuesListA(&row.r);
    ASSERT_NE(values, nullptr);
    EXPECT_STREQ(values, "7, 'Smi'th', 0");  // only SQL_CHAR is quoted, unescaped
    vnDBUtils_freeList(&values);
    SQLDA empty{};
    EXPECT_EQ(vnDBUtils_getColumnNamesList(&empty), nullptr);
    EXPECT_EQ(vnDBUtils_getColumnValuesListW(nullptr), nullptr);
}
