#include "pelund/file_streams.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "tests/support/temp_folder.h"

using testing_support::readFile;
using testing_support::TempFolder;

namespace {

struct Narrow {
    void* h = nullptr;
    Narrow(const std::string& path, const char* mode) { psWinAPI_fopen(&h, path.c_str(), mode); }
    ~Narrow() { psWinAPI_fclose(&h); }
};

struct Wide {
    void* h = nullptr;
    Wide(const std::string& path, const char16_t* mode)
    {
        std::u16string p(path.begin(), path.end());
        psWinAPI_wfopen(&h, p.c_str(), mode);
    }
    ~Wide() { psWinAPI_wfclose(&h); }
};

int printWide(void* h, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int rc = psWinAPI_wvfprintfn(h, 0, format, args);
    va_end(args);
    return rc;
}

}  // namespace

TEST(FileStreams, OpenRefusesWhatItCannotOpen)
{
    TempFolder dir;
    void* sentinel = &dir;
    void* h = sentinel;
    EXPECT_EQ(psWinAPI_fopen(&h, dir.file("missing").c_str(), "r"), PS_FAILURE);
    EXPECT_EQ(psWinAPI_fopen(&h, dir.file("missing").c_str(), "r+b"), PS_FAILURE);
    EXPECT_EQ(psWinAPI_fopen(&h, dir.file("x").c_str(), "+b"), PS_FAILURE);  // no r, w or a
    EXPECT_EQ(psWinAPI_fopen(&h, dir.path().c_str(), "w"), PS_FAILURE);     // a folder
    EXPECT_EQ(psWinAPI_fopen(&h, nullptr, "w"), PS_FAILURE);
    EXPECT_EQ(psWinAPI_fopen(&h, dir.file("x").c_str(), nullptr), PS_FAILURE);
    EXPECT_EQ(psWinAPI_fopen(nullptr, dir.file("x").c_str(), "w"), PS_FAILURE);
    EXPECT_EQ(psWinAPI_wfopen(&h, u"/nonexistent/folder/f", u"w"), PS_FAILURE);
    EXPECT_EQ(h, sentinel);
}

TEST(FileStreams, NullHandlesAreHarmless)
{
    char buf[8] = "keep";
    EXPECT_EQ(psWinAPI_fgetc(nullptr), 0);
    EXPECT_EQ(psWinAPI_fgetwc(nullptr), 0);
    EXPECT_EQ(psWinAPI_fgets(buf, 8, nullptr), buf);
    EXPECT_STREQ(buf, "keep");
    EXPECT_EQ(psWinAPI_fread(buf, 1, 8, nullptr), 0);
    EXPECT_EQ(psWinAPI_fwrite(buf, 1, 8, nullptr), 0);
    EXPECT_EQ(psWinAPI_ftell(nullptr), 0);
    EXPECT_EQ(psWinAPI_fseek(nullptr, 0, 0), 0);
    EXPECT_EQ(psWinAPI_feof(nullptr), 0);
    EXPECT_EQ(psWinAPI_fflush(nullptr), 0);
    EXPECT_EQ(psWinAPI_writeString("x", nullptr, 1), 0);
    EXPECT_EQ(psWinAPI_fprintfn(nullptr, 0, "%d", 1), 0);
    EXPECT_EQ(psWinAPI_fclose(nullptr), 0);
}

TEST(FileStreams, WritePlusRoundTripAndCloseTwice)
{
    TempFolder dir;
    void* h = nullptr;
    ASSERT_EQ(psWinAPI_fopen(&h, dir.file("f").c_str(), "w+"), 0);
    EXPECT_EQ(psWinAPI_fwrite("hello world", 1, 11, h), 11);
    EXPECT_EQ(psWinAPI_fwrite("abcdef", 3, 2, h), 6);  // counted in bytes
    EXPECT_EQ(psWinAPI_ftell(h), 17);
    psWinAPI_fseek(h, 0, 0);
    char buf[32] = {};
    EXPECT_EQ(psWinAPI_fread(buf, 1, sizeof buf, h), 17);
    EXPECT_EQ(std::string(buf), "hello worldabcdef");
    EXPECT_EQ(psWinAPI_feof(h), 1);
    EXPECT_EQ(psWinAPI_fread(buf, 1, sizeof buf, h), 0);  // not good any more
    psWinAPI_fseek(h, -6, 2);                            // a failed stream does not move
    EXPECT_EQ(psWinAPI_ftell(h), -1);
    EXPECT_EQ(psWinAPI_fclose(&h), 0);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(psWinAPI_fclose(&h), 0);
    EXPECT_EQ(readFile(dir.file("f")), "hello worldabcdef");
}

TEST(FileStreams, SeekClearsEndOfFileOnly)
{
    TempFolder dir;
    Narrow f(dir.write("f", "abc\n"), "r");
    char line[16];
    ASSERT_STREQ(psWinAPI_fgets(line, 16, f.h), "abc");
    EXPECT_EQ(psWinAPI_feof(f.h), 0);
    psWinAPI_fseek(f.h, 1, 0);
    EXPECT_EQ(psWinAPI_fgetc(f.h), 'b');
    psWinAPI_fseek(f.h, -1, 1);
    EXPECT_EQ(psWinAPI_fgetc(f.h), 'b');
    psWinAPI_fseek(f.h, -2, 2);
    EXPECT_EQ(psWinAPI_fgetc(f.h), 'c');
    psWinAPI_fseek(f.h, 0, 7);  // unknown origin: stays
    EXPECT_EQ(psWinAPI_ftell(f.h), 3);
    EXPECT_EQ(psWinAPI_fgetc(f.h), '\n');
    EXPECT_EQ(psWinAPI_fgetc(f.h), -1);
    EXPECT_EQ(psWinAPI_feof(f.h), 1);
    psWinAPI_fseek(f.h, 0, 0);  // the read past the end failed the stream
    EXPECT_EQ(psWinAPI_feof(f.h), 0);
    EXPECT_EQ(psWinAPI_fgetc(f.h), -1);
}

TEST(FileStreams, LinesFollowOneRule)
{
    TempFolder dir;
    std::string path = dir.write("lines", "ab\ncd");
    char line[16];
    {
        Narrow f(path, "r");
        EXPECT_STREQ(psWinAPI_fgets(line, 16, f.h), "ab");
        EXPECT_STREQ(psWinAPI_fgets(line, 16, f.h), "cd");
        EXPECT_EQ(psWinAPI_feof(f.h), 1);
        EXPECT_EQ(psWinAPI_fgets(line, 16, f.h), nullptr);
    }
    {
        Narrow f(path, "rb");
        EXPECT_STREQ(psWinAPI_readString(line, 16, f.h, 1), "ab\n");
        EXPECT_STREQ(psWinAPI_readString(line, 16, f.h, 1), "cd");
        EXPECT_EQ(psWinAPI_readString(line, 16, f.h, 1), nullptr);
    }
    {
        Narrow f(dir.write("long", "0123456789\nnext\n"), "r");
        EXPECT_STREQ(psWinAPI_fgets(line, 5, f.h), "0123");
        EXPECT_EQ(psWinAPI_fgets(line, 16, f.h), nullptr);  // failed for good
    }
    {
        // The two string readers keep a unit for the line feed: a line of
        // SIZE - 2 characters fits with it.
        Narrow f(dir.write("fit", "abc\n\nabcd\n"), "r");
        EXPECT_STREQ(psWinAPI_readString(line, 5, f.h, 1), "abc\n");
        EXPECT_STREQ(psWinAPI_readString(line, 5, f.h, 0), "");
        EXPECT_STREQ(psWinAPI_readString(line, 5, f.h, 1), "abc");
        EXPECT_EQ(psWinAPI_readString(line, 5, f.h, 1), nullptr);
    }
}

TEST(FileStreams, LongLinesComeThroughWhole)
{
    TempFolder dir;
    std::string big(200000, 'x');
    Narrow f(dir.write("big", big + "\n" + big), "r");
    std::string buf(big.size() + 1, '\0');
    ASSERT_NE(psWinAPI_fgets(buf.data(), int(buf.size()), f.h), nullptr);
    EXPECT_EQ(std::string(buf.c_str()), big);
    ASSERT_NE(psWinAPI_fgets(buf.data(), int(buf.size()), f.h), nullptr);
    EXPECT_EQ(std::string(buf.c_str()), big);
}

TEST(FileStreams, WritesReportTheAdvance)
{
    TempFolder dir;
    std::string path = dir.write("w", "existing\n");
    {
        Narrow f(path, "a");
        EXPECT_EQ(psWinAPI_writeString("one\r\n", f.h, 1), 5);  // ends in CR LF already
        EXPECT_EQ(psWinAPI_writeString("two\n", f.h, 1), 5);    // LF alone gets another
        EXPECT_EQ(psWinAPI_writeString("three", f.h, 0), 5);
        EXPECT_EQ(psWinAPI_writeString("\n", f.h, 1), 2);
        EXPECT_EQ(psWinAPI_fprintfn(f.h, 12345, "%s=%03d;", "n", 7), 0);
        EXPECT_EQ(psWinAPI_fprintfn(f.h, -1, "%s=%03d;", "n", 7), 0);
        EXPECT_EQ(psWinAPI_fprintfn(f.h, 0, nullptr), PS_FAILURE);
    }
    EXPECT_EQ(readFile(path), "existing\none\r\ntwo\n\nthree\n\nn=007;n=007;");

    Narrow r(path, "r+");
    char buf[64];
    psWinAPI_fread(buf, 1, sizeof buf, r.h);  // to the end: eof and failed
    EXPECT_EQ(psWinAPI_ftell(r.h), -1);
    EXPECT_EQ(psWinAPI_writeString("lost", r.h, 1), 0);
    EXPECT_EQ(psWinAPI_fwrite("lost", 1, 4, r.h), 0);
}

TEST(FileStreams, WideStreamsTakeTheLocaleOfTheirOpening)
{
    TempFolder dir;
    std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "C.UTF-8"))
        GTEST_SKIP() << "no C.UTF-8 locale on this machine";
    std::string path = dir.file("wide");
    {
        Wide f(path, u"w+b");
        ASSERT_NE(f.h, nullptr);
        EXPECT_EQ(psWinAPI_writeWString(u"\u00e9\u20ac\U0001F600", f.h, 1), 11);  // 2+3+4 bytes, CR LF
        EXPECT_EQ(printWide(f.h, u"%s|%hs|%d|%c", u"\u00fc", "8bit", 42, u'\u00df'), 0);
        EXPECT_EQ(printWide(f.h, nullptr), PS_FAILURE);
        psWinAPI_fseek(f.h, 0, 0);
        EXPECT_EQ(psWinAPI_fgetwc(f.h), u'\u00e9');
        EXPECT_EQ(psWinAPI_fgetwc(f.h), u'\u20ac');
        EXPECT_EQ(psWinAPI_fgetwc(f.h), 0xD83D);  // the pair comes in two calls
        EXPECT_EQ(psWinAPI_fgetwc(f.h), 0xDE00);
        EXPECT_EQ(psWinAPI_fgetwc(f.h), u'\r');
        ps_char16 line[16];
        EXPECT_EQ(psWinAPI_readWString(line, 16, f.h, 1), line);
        EXPECT_EQ(std::u16string(line), u"\n");
        EXPECT_EQ(psWinAPI_readWString(line, 16, f.h, 1), line);
        EXPECT_EQ(std::u16string(line), u"\u00fc|8bit|42|\u00df");
        EXPECT_EQ(psWinAPI_readWString(line, 16, f.h, 1), nullptr);
        EXPECT_EQ(psWinAPI_fgetwc(f.h), 0);
        // The 8-bit functions leave a wide stream alone.
        EXPECT_EQ(psWinAPI_fgetc(f.h), 0);
    }
    EXPECT_EQ(readFile(path), "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\r\n\xc3\xbc|8bit|42|\xc3\x9f");
    {
        Wide f(path, u"r");
        ps_char16 line[4];  // room for two units: the pair does not fit after one
        EXPECT_EQ(psWinAPI_readWString(line, 4, f.h, 0), line);
        EXPECT_EQ(std::u16string(line), u"\u00e9\u20ac");
        EXPECT_EQ(psWinAPI_readWString(line, 4, f.h, 0), nullptr);
    }
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(FileStreams, WideStreamInTheCLocaleFailsOnWhatItCannotStore)
{
    TempFolder dir;
    std::string saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    Wide f(dir.file("c"), u"w+");
    ASSERT_NE(f.h, nullptr);
    EXPECT_EQ(psWinAPI_writeWString(u"plain", f.h, 0), 5);
    psWinAPI_writeWString(u"\u20ac", f.h, 0);
    psWinAPI_fflush(f.h);
    EXPECT_EQ(psWinAPI_ftell(f.h), -1);  // the stream failed and stays failed
    std::setlocale(LC_ALL, saved.c_str());
}
