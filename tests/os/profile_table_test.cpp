// Profile files against the behaviour of the Windows private-profile
// functions: each row is a file's bytes, one call, and the count and the
// bytes the call leaves in the buffer (or the file the write leaves).
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "pelund/profile.h"
#include "tests/support/temp_folder.h"

using namespace std::string_literals;
using testing_support::readFile;
using testing_support::TempFolder;

namespace {

const char* const kNoFile = nullptr;

const std::string kCrLf = "[section1]\r\nname1=val1\r\nname2=\"val2\"\r\nname3\r\nname4=a\r\n[section2]\r\n";
const std::string kCr = "[section1]\rname1=val1\rname2=\"val2\"\rname3\rname4=a\r[section2]\r";
const std::string kLf = "[section1]\nname1=val1\nname2=\"val2\"\nname3\nname4=a\n[section2]\n";

struct ReadCase {
    const char* what;
    const char* file;  // null: no file at that path
    const char* section;
    const char* key;
    const char* fallback;
    int size;
    int count;
    std::string bytes;  // what the buffer starts with; the byte after it is untouched
};

const ReadCase kReads[] = {
    // Line ends.
    {"CR LF", kCrLf.c_str(), "section1", "name1", "default", 100, 4, "val1\0"s},
    {"bare CR", kCr.c_str(), "section1", "name1", "default", 100, 4, "val1\0"s},
    {"bare CR, last key", kCr.c_str(), "section1", "name4", "default", 100, 1, "a\0"s},
    {"LF", kLf.c_str(), "section1", "name2", "default", 100, 4, "val2\0"s},
    {"mixed, CR", "[s]\ra=1\nb=2\r\nc=3", "s", "a", "d", 100, 1, "1\0"s},
    {"mixed, LF", "[s]\ra=1\nb=2\r\nc=3", "s", "b", "d", 100, 1, "2\0"s},
    {"mixed, no end", "[s]\ra=1\nb=2\r\nc=3", "s", "c", "d", 100, 1, "3\0"s},
    // White space around names and values, in the file and in the call.
    {"padded arguments", kCrLf.c_str(), "  section1 \t", " \tname1  ", "d", 100, 4, "val1\0"s},
    {"padded file", "  [ s\t]  \n \t key \t= \v value \f\n", "s", "key", "d", 100, 5, "value\0"s},
    {"inner blanks kept", "[s]\nk = a  b \n", "s", "k", "d", 100, 4, "a  b\0"s},
    {"empty value", "[s]\nk=\n", "s", "k", "d", 100, 0, "\0"s},
    // The default text: only trailing blanks go.
    {"default", kCrLf.c_str(), "section1", "notakey", "default", 100, 7, "default\0"s},
    {"default, trailing blanks", kCrLf.c_str(), "section1", "notakey", "default  ", 100, 7, "default\0"s},
    {"default, inner blank", kCrLf.c_str(), "section1", "notakey", "one two  ", 100, 7, "one two\0"s},
    {"default, trailing tab", kCrLf.c_str(), "section1", "notakey", "tab\t", 100, 4, "tab\t\0"s},
    {"default, leading blanks", kCrLf.c_str(), "section1", "notakey", "  lead", 100, 6, "  lead\0"s},
    {"default, empty", kCrLf.c_str(), "section1", "notakey", "", 100, 0, "\0"s},
    {"missing section", kCrLf.c_str(), "notasection", "name1", "default", 100, 7, "default\0"s},
    {"empty section argument", kCrLf.c_str(), "", "name1", "default", 100, 7, "default\0"s},
    {"empty key argument", kCrLf.c_str(), "section1", "", "default", 100, 7, "default\0"s},
    {"empty section name", "k=before\n[]\nk=empty\n", "", "k", "d", 100, 5, "empty\0"s},
    {"empty key name", "[s]\n=no key\n", "s", "", "d", 100, 6, "no key\0"s},
    {"key before any section", "k=before\n[s]\n", "s", "k", "d", 100, 1, "d\0"s},
    // Quotes: one pair of equal quotes goes.
    {"double quotes", kCrLf.c_str(), "section1", "name2", "default", 100, 4, "val2\0"s},
    {"single quotes", "[s]\nk='v'\n", "s", "k", "d", 100, 1, "v\0"s},
    {"quotes inside blanks", "[s]\nk=  \"v w\"  \n", "s", "k", "d", 100, 3, "v w\0"s},
    {"unequal quotes", "[s]\nk=\"v'\n", "s", "k", "d", 100, 3, "\"v'\0"s},
    {"one quote", "[s]\nk=\"\n", "s", "k", "d", 100, 1, "\"\0"s},
    {"empty quotes", "[s]\nk=\"\"\n", "s", "k", "d", 100, 0, "\0"s},
    // Comments, case, lines without '=' or ']'.
    {"comment", "[s]\n;k=old\n  ;k=older\nk=new\n", "s", "k", "d", 100, 3, "new\0"s},
    {"other case", kCrLf.c_str(), "SECTION1", "NaMe1", "default", 100, 4, "val1\0"s},
    {"line without '='", kCrLf.c_str(), "section1", "name3", "default", 100, 7, "default\0"s},
    {"key after a line without '='", "[s]\nk\nk=v\n", "s", "k", "d", 100, 1, "v\0"s},
    {"section without ']'", "[open\nk=v\n", "open", "k", "d", 100, 1, "v\0"s},
    {"text after ']'", "[s] trailing\nk=v\n", "s", "k", "d", 100, 1, "v\0"s},
    // Duplicates: the first section of a name, the first key in it.
    {"second section of a name", "[s]\na=1\n[t]\n[S]\nb=2\n", "s", "b", "d", 100, 1, "d\0"s},
    {"first section of a name", "[s]\na=1\n[t]\n[S]\nb=2\n", "S", "a", "d", 100, 1, "1\0"s},
    {"first key of a name", "[s]\nk=1\nK=2\n", "s", "k", "d", 100, 1, "1\0"s},
    // Empty and missing files.
    {"empty file", "", "s", "k", "default", 100, 7, "default\0"s},
    {"missing file", kNoFile, "s", "k", "default", 100, 7, "default\0"s},
    // Cuts of a value: size - 1 characters.
    {"size 0", kCrLf.c_str(), "section1", "name1", "default", 0, 0, ""s},
    {"size 1", kCrLf.c_str(), "section1", "name1", "default", 1, 0, "\0"s},
    {"size 2", kCrLf.c_str(), "section1", "name1", "default", 2, 1, "v\0"s},
    {"size 3", kCrLf.c_str(), "section1", "name1", "default", 3, 2, "va\0"s},
    {"size 4", kCrLf.c_str(), "section1", "name1", "default", 4, 3, "val\0"s},
    {"size 5", kCrLf.c_str(), "section1", "name1", "default", 5, 4, "val1\0"s},
    {"one character, size 1", kCrLf.c_str(), "section1", "name4", "default", 1, 0, "\0"s},
    {"quoted, size 3", kCrLf.c_str(), "section1", "name2", "default", 3, 2, "va\0"s},
    {"default, size 3", kCrLf.c_str(), "section1", "notakey", "default", 3, 2, "de\0"s},
    // Listings: every occurrence, cut to size - 2 with two NULs.
    {"sections", kCrLf.c_str(), nullptr, nullptr, "default", 100, 18, "section1\0section2\0\0"s},
    {"sections, bare CR", kCr.c_str(), nullptr, nullptr, "default", 100, 18, "section1\0section2\0\0"s},
    {"sections, key ignored", kCrLf.c_str(), nullptr, "name1", "default", 100, 18, "section1\0section2\0\0"s},
    {"sections, size 20", kCrLf.c_str(), nullptr, nullptr, "d", 20, 18, "section1\0section2\0\0"s},
    {"sections, size 19 (exact)", kCrLf.c_str(), nullptr, nullptr, "d", 19, 17, "section1\0section2\0\0"s},
    {"sections, size 16", kCrLf.c_str(), nullptr, nullptr, "d", 16, 14, "section1\0secti\0\0"s},
    {"sections, size 3", kCrLf.c_str(), nullptr, nullptr, "d", 3, 1, "s\0\0"s},
    {"sections, size 2", kCrLf.c_str(), nullptr, nullptr, "d", 2, 0, "\0\0"s},
    {"sections, size 1", kCrLf.c_str(), nullptr, nullptr, "d", 1, 0, "\0"s},
    {"sections, size 0", kCrLf.c_str(), nullptr, nullptr, "d", 0, 0, ""s},
    {"padded section names, size 29", "[ section1 ]\r\n[section2]\r\n[section3]\r\n", nullptr, nullptr, "d", 29, 27,
     "section1\0section2\0section3\0\0"s},
    {"padded section names, size 28", "[ section1 ]\r\n[section2]\r\n[section3]\r\n", nullptr, nullptr, "d", 28, 26,
     "section1\0section2\0section3\0\0"s},
    {"padded section names, size 27", "[ section1 ]\r\n[section2]\r\n[section3]\r\n", nullptr, nullptr, "d", 27, 25,
     "section1\0section2\0section\0\0"s},
    {"duplicate sections", "[a]\n[b]\n[A]\nk=v\n[]\n", nullptr, nullptr, "d", 100, 6, "a\0b\0A\0\0"s},
    {"sections of an empty file", "", nullptr, nullptr, "d", 100, 0, "\0"s},
    {"sections of a missing file", kNoFile, nullptr, nullptr, "d", 10, 0, "\0"s},
    {"keys", kCrLf.c_str(), "section1", nullptr, "default", 100, 18, "name1\0name2\0name4\0\0"s},
    {"keys, size 16", kCrLf.c_str(), "section1", nullptr, "default", 16, 14, "name1\0name2\0na\0\0"s},
    {"keys, size 19 (exact)", kCrLf.c_str(), "section1", nullptr, "default", 19, 17, "name1\0name2\0name4\0\0"s},
    {"keys after a write", "[s]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\nname5=val5\r\n", "s", nullptr, "", 100,
     24, "name1\0name2\0name4\0name5\0\0"s},
    {"duplicate keys", "[s]\nk=1\n;c=2\nK=2\n=3\n[t]\n[S]\nj=4\n", "s", nullptr, "d", 100, 4, "k\0K\0\0"s},
    {"keys of an empty section", kCrLf.c_str(), "section2", nullptr, "default", 100, 0, "\0"s},
    {"keys of a missing section", kCrLf.c_str(), "nowhere", nullptr, "default", 100, 0, "\0"s},
    // Deliberate: a null default text is refused, not read as "".
    {"null default", kCrLf.c_str(), "section1", "name1", nullptr, 100, PS_FAILURE, ""s},
};

class ProfileRead : public testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, GivesThePlatformsCountAndBytes)
{
    const ReadCase& c = GetParam();
    SCOPED_TRACE(c.what);
    TempFolder dir;
    std::string path = c.file ? dir.write("table.ini", c.file) : dir.file("missing.ini");
    std::string buffer(128, '#');
    int n = psProfile_getProfileString(c.section, c.key, c.fallback, buffer.data(), c.size, path.c_str());
    EXPECT_EQ(n, c.count);
    EXPECT_EQ(buffer.substr(0, c.bytes.size()), c.bytes);
    EXPECT_EQ(buffer[c.bytes.size()], '#') << "a byte written after the expected ones";
}

INSTANTIATE_TEST_SUITE_P(Table, ProfileRead, testing::ValuesIn(kReads),
                         [](const testing::TestParamInfo<ReadCase>& info) { return "row" + std::to_string(info.index); });

TEST(ProfileRead, NullOrEmptyPathGivesTheDefault)
{
    for (const char* path : {static_cast<const char*>(nullptr), ""}) {
        char buffer[16] = "kumquat";
        EXPECT_EQ(psProfile_getProfileString("section1", "name1", "default", buffer, sizeof buffer, path), 7);
        EXPECT_STREQ(buffer, "default");
    }
}

struct WriteCase {
    const char* what;
    const char* file;  // null: no file yet
    const char* section;
    const char* key;
    const char* value;
    int result;
    const char* after;  // the file afterwards (null: still missing)
    const char* readBack;  // the value read with the same section and key (null: not read)
};

const WriteCase kWrites[] = {
    {"creates the file", kNoFile, "App", "key", "string", 0, "[App]\nkey=string\n", "string"},
    {"empty value", kNoFile, "App", "key", "", 0, "[App]\nkey=\n", ""},
    {"empty file", "", "App", "key", "v", 0, "[App]\nkey=v\n", "v"},
    {"new section at the end",
     "[App1]\r\nkey1=string1\r\nkey2=string2\r\n[App2]\r\nkey4=string4\r\n", "App3", "key5", "string5", 0,
     "[App1]\r\nkey1=string1\r\nkey2=string2\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n", "string5"},
    {"new key after the section's last line", "[App1]\r\nkey1=a\r\n\r\n[App2]\r\n", "App1", "key2", "b", 0,
     "[App1]\r\nkey1=a\r\nkey2=b\r\n\r\n[App2]\r\n", "b"},
    {"replaces a value, keeps the stored case", "[General]\nPath=C:\\x\nOther=1\n", "general", "PATH", "/opt", 0,
     "[General]\nPath=/opt\nOther=1\n", "/opt"},
    {"replaces a padded line", "[s]\n  Name =  \"q\"  \r\nz=1\n", "s", "name", "v", 0, "[s]\nName=v\r\nz=1\n", "v"},
    {"padded arguments", kNoFile, "  s\t", "  k ", "v", 0, "[s]\nk=v\n", "v"},
    {"padded arguments find the key", "[s]\nk=1\n", " S ", "\tK", "2", 0, "[s]\nk=2\n", "2"},
    {"bare CR file", "[s]\ra=1\r", "s", "b", "2", 0, "[s]\ra=1\rb=2\r", "2"},
    {"bare CR, new section", "[s]\ra=1", "t", "b", "2", 0, "[s]\ra=1\r[t]\rb=2\r", "2"},
    {"no final line end, new key", "[s]\na=1", "s", "b", "2", 0, "[s]\na=1\nb=2\n", "2"},
    {"no final line end, replaced", "[s]\na=1", "s", "a", "2", 0, "[s]\na=2", "2"},
    {"mixed ends: the first one is used", "[s]\r\na=1\nb=2\n", "t", "c", "3", 0, "[s]\r\na=1\nb=2\n[t]\r\nc=3\r\n",
     "3"},
    {"duplicate sections: the first", "[s]\na=1\n[t]\n[s]\nb=2\n", "s", "b", "3", 0, "[s]\na=1\nb=3\n[t]\n[s]\nb=2\n",
     "3"},
    {"duplicate keys: the first", "[s]\nk=1\nk=2\n", "s", "k", "3", 0, "[s]\nk=3\nk=2\n", "3"},
    {"line without '=' stays", "[s]\nk\n", "s", "k", "v", 0, "[s]\nk\nk=v\n", "v"},
    {"section without ']'", "[s\na=1\n", "s", "b", "2", 0, "[s\na=1\nb=2\n", "2"},
    {"comment stays", "[s]\n;k=old\n", "s", "k", "new", 0, "[s]\n;k=old\nk=new\n", "new"},
    {"value with blanks reads trimmed", kNoFile, "s", "k", "  v  ", 0, "[s]\nk=  v  \n", "v"},
    {"quoted value reads unquoted", kNoFile, "s", "k", "'v'", 0, "[s]\nk='v'\n", "v"},
    // Deliberate differences: refused, the file untouched.
    {"null value", "[s]\nk=1\n", "s", "k", nullptr, PS_FAILURE, "[s]\nk=1\n", nullptr},
    {"null key", "[s]\nk=1\n", "s", nullptr, "v", PS_FAILURE, "[s]\nk=1\n", nullptr},
    {"null section", "[s]\nk=1\n", nullptr, "k", "v", EINVAL, "[s]\nk=1\n", nullptr},
    {"line end in a value", "[s]\nk=1\n", "s", "k", "v\n[x]", EINVAL, "[s]\nk=1\n", nullptr},
    {"line end in a key", "[s]\nk=1\n", "s", "k\r", "v", EINVAL, "[s]\nk=1\n", nullptr},
    {"line end in a section", "[s]\nk=1\n", "s\n", "k", "v", EINVAL, "[s]\nk=1\n", nullptr},
    {"'=' in a key", "[s]\nk=1\n", "s", "k=x", "v", EINVAL, "[s]\nk=1\n", nullptr},
    {"']' in a section", "[s]\nk=1\n", "s]x", "k", "v", EINVAL, "[s]\nk=1\n", nullptr},
    {"key that reads as a section", "[s]\nk=1\n", "s", " [x", "v", EINVAL, "[s]\nk=1\n", nullptr},
    {"key that reads as a comment", "[s]\nk=1\n", "s", ";x", "v", EINVAL, "[s]\nk=1\n", nullptr},
};

class ProfileWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWrite, LeavesThePlatformsFile)
{
    const WriteCase& c = GetParam();
    SCOPED_TRACE(c.what);
    TempFolder dir;
    std::string path = c.file ? dir.write("table.ini", c.file) : dir.file("new.ini");
    EXPECT_EQ(psProfile_writeProfileString(c.section, c.key, c.value, path.c_str()), c.result);
    EXPECT_EQ(readFile(path), c.after);
    if (c.readBack) {
        char buffer[64];
        int n = psProfile_getProfileString(c.section, c.key, "(default)", buffer, sizeof buffer, path.c_str());
        EXPECT_EQ(std::string(buffer), c.readBack);
        EXPECT_EQ(n, int(std::string(c.readBack).size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ProfileWrite, testing::ValuesIn(kWrites),
                         [](const testing::TestParamInfo<WriteCase>& info) { return "row" + std::to_string(info.index); });

TEST(ProfileWrite, PathErrorsAreErrnoValues)
{
    TempFolder dir;
    EXPECT_EQ(psProfile_writeProfileString("S", "k", "v", dir.file("no/such/folder.ini").c_str()), ENOENT);
    EXPECT_EQ(psProfile_writeProfileString("S", "k", "v", ""), EINVAL);
    EXPECT_EQ(psProfile_writeProfileString("S", "k", "v", nullptr), EINVAL);
}

}  // namespace
