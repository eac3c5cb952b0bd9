#include "db_fixture.h"

#include <cstring>
#include <string>

using namespace dbtest;

class Errors : public OnEveryDriver {};

TEST_P(Errors, FailedStatementKeepsItsTextBetweenMessageAndState)
{
    const std::string statement = "SELECT * FROM no_such_table_" + table("x");
    EXPECT_EQ(vnDBWin_processSQLA(statement.c_str()), -1);
    std::string message = errorText(-1);
    std::string source = "\nSource SQL statement: '" + statement + "'\n";
    size_t at = message.find(source);
    ASSERT_NE(at, std::string::npos) << message;
    EXPECT_GT(at, 0u);
    EXPECT_EQ(message.compare(at + source.size(), 6, "State:"), 0) << message;
    // Only the latest message under a code can be read.
    EXPECT_EQ(vnDBWin_processSQLA("SELEC nonsense"), -1);
    EXPECT_EQ(errorText(-1).find(statement), std::string::npos);
    EXPECT_NE(errorText(-1).find("SELEC nonsense"), std::string::npos);
}

TEST_P(Errors, EmptyStatementHasNoSourceLine)
{
    int rc = vnDBWin_processSQLA("");
    EXPECT_NE(rc, 0);
    EXPECT_EQ(errorText(rc).find("Source SQL statement"), std::string::npos);
}

TEST_P(Errors, OriginGroupsMoveToTheStateLine)
{
    EXPECT_EQ(vnDBWin_processSQLA("DROP TABLE nothing_here_at_all"), -1);
    std::string message = errorText(-1);
    size_t state = message.find("State:");
    ASSERT_NE(state, std::string::npos);
    std::string line = message.substr(state, message.find('\n', state) - state);
    EXPECT_NE(line.find(",Native:"), std::string::npos) << line;
    EXPECT_NE(line.find(",Origin:"), std::string::npos) << line;
    // Whatever was bracketed at the message's start is on the state line.
    std::string text = message.substr(0, message.find('\n'));
    EXPECT_NE(text.empty() ? ' ' : text[0], '[') << message;
}

TEST_P(Errors, LibraryCodesHaveTheirDescriptionAndNoState)
{
    short id = 0;
    EXPECT_EQ(vnDBWin_openCursorWithIDA(&id, "UPDATE x SET y = 1"), 1003);
    std::string message = errorText(1003);
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(message.find("State:"), std::string::npos);
    EXPECT_EQ(vnDBWin_openCursorWithIDA(&id, " SELECT 1"), 1003);
}

INSTANTIATE_TEST_SUITE_P(Drivers, Errors, ::testing::ValuesIn(drivers()), parameterName);

TEST(ErrorStore, NotConnectedStatementStoresOnlyTheSourceLine)
{
    vnDBWin_disconnectDatabase();
    EXPECT_EQ(vnDBWin_processSQLA("SELECT 1"), -2);
    EXPECT_EQ(errorText(-2), "\nSource SQL statement: 'SELECT 1'\n");
    EXPECT_EQ(vnDBWin_processSQLW(u"SELECT 2"), -2);
    char16_t wide[256];
    EXPECT_EQ(vnDBWin_getErrorTextW(wide, -2), 1);
    EXPECT_EQ(std::u16string(wide), u"\nSource SQL statement: 'SELECT 2'\n");
    char untouched[8] = "keep";
    EXPECT_EQ(vnDBWin_getErrorTextA(untouched, 424242), 0);
    EXPECT_STREQ(untouched, "keep");
}

TEST(ErrorStore, ComposedParagraphs)
{
    vnDBWin_disconnectDatabase();
    vnDBWin_processSQLA("SELECT 'stored'");  // -2, message known
    std::string message = errorText(-2);
    char out[4096];
    EXPECT_EQ(vnDBWin_getSQLErrorTextA(out, "Heading", nullptr, -2), 1);
    EXPECT_EQ(std::string(out), "Heading\nThe database server returned the following error "
                                "message:\n\n" + message);
    EXPECT_EQ(vnDBWin_getSQLErrorTextA(out, "", "SELECT x", 777777), 1);
    EXPECT_EQ(std::string(out),
              "\nThe following SQL statement could not be processed:\n\nSELECT x\n");
    EXPECT_EQ(vnDBWin_getSQLErrorTextA(nullptr, "H", "S", -2), 1);

    // A long message is cut at 511 characters in the paragraph.
    std::string longStatement = "SELECT '" + std::string(700, 'q') + "'";
    vnDBWin_processSQLA(longStatement.c_str());
    EXPECT_EQ(vnDBWin_getSQLErrorTextA(out, nullptr, nullptr, -2), 1);
    std::string head = "The database server returned the following error message:\n\n";
    EXPECT_EQ(std::strlen(out), head.size() + 511);

    // The W form writes exactly 511 units and no terminator when full.
    char16_t wout[600];
    for (auto& c : wout)
        c = u'#';
    std::u16string heading(600, u'h');
    EXPECT_EQ(vnDBWin_getSQLErrorTextW(wout, heading.c_str(), nullptr, 777777), 1);
    EXPECT_EQ(std::u16string(wout, 511), std::u16string(511, u'h'));
    EXPECT_EQ(wout[511], u'#');
    EXPECT_EQ(vnDBWin_getSQLErrorTextW(wout, u"H", nullptr, 777777), 1);
    EXPECT_EQ(std::u16string(wout), u"H\n");
    EXPECT_EQ(wout[510], 0);
}
