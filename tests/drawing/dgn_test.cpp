#include <gtest/gtest.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>

#include "drawing/property_set.h"
#include "pelund/drawing.h"
#include "platform/compound_file.h"
#include "tests/support/temp_folder.h"

using namespace pelund;
using testing_support::TempFolder;

namespace {

const std::string kFixtures = PELUND_FIXTURES "/drawing/";
const FormatId kSummary = formatIdOf("F29F85E0-4FF9-1068-AB91-08002B27B3D9");
const FormatId kDocument = formatIdOf("D5CDD502-2E9C-101B-9397-08002B2CF9AE");
const FormatId kUser = formatIdOf("D5CDD505-2E9C-101B-9397-08002B2CF9AE");

bool haveFixtures()
{
    struct stat info;
    return stat(kFixtures.c_str(), &info) == 0;
}

// FILETIMEs come out in local time: the tests read them in UTC.
class Drawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
    }

    std::string file(const std::string& name, const std::vector<CompoundEntry>& entries)
    {
        std::string path = dir_.file(name);
        EXPECT_TRUE(writeCompoundFile(path, entries));
        return path;
    }

    // The property's text, "(none)" when not found; what was printed goes to *said.
    static std::string property(const std::string& path, const char* name, std::string* said = nullptr)
    {
        char value[1024];
        std::fill(value, value + sizeof value, 'x');
        testing::internal::CaptureStdout();
        int found = histo_getV8Prop(path.c_str(), name, value);
        std::string out = testing::internal::GetCapturedStdout();
        if (said)
            *said = out;
        if (!found) {
            EXPECT_EQ(value[0], '\0') << "the output is emptied first";
        }
        return found ? std::string(value) : "(none)";
    }

    TempFolder dir_;
};

CompoundEntry stream(const std::string& name, std::string bytes) { return {name, false, std::move(bytes), {}}; }

StoredProperty codePage(uint16_t cp) { return {1, VT_I2, storedI2(int16_t(cp))}; }

}  // namespace

TEST_F(Drawing, FixturesGiveTheirKnownValues)
{
    if (!haveFixtures())
        GTEST_SKIP() << "no fixture folder at " << kFixtures;
    std::string dgn = kFixtures + "v8-drawing.dgn", xls = kFixtures + "user-properties.xls",
                doc = kFixtures + "word-document.doc";
    EXPECT_EQ(psFile_isV8Dgn(dgn.c_str()), 1);
    EXPECT_EQ(psFile_isV8Dgn(xls.c_str()), 0);
    EXPECT_EQ(psFile_isV8Dgn(doc.c_str()), 0);

    struct Case {
        const std::string* path;
        const char* name;
        const char* text;
    } cases[] = {
        {&dgn, "Author", "Sample Drawing Office Limited"},
        {&dgn, "Last Author", "Alex.Drafting"},
        {&dgn, "Revision Number", "3"},
        {&dgn, "AppName", "Drawing Editor v8.11.0"},
        {&dgn, "Created", "16:43:33:183 17/10/2001"},
        {&dgn, "Last Saved", "13:31:18:612 17/2/2012"},
        {&dgn, "Edit Time", "0:0:0:2 1/1/1601"},  // a duration of 24673 ticks
        {&dgn, "Last Printed", "0:0:0:0 1/1/1601"},
        {&dgn, "Title", ""},
        {&dgn, "Template", ""},
        {&dgn, "Thumpnail", "(Clipboard format)"},
        {&dgn, "Category", ""},
        {&dgn, "Page Count", ""},  // listed, absent from the file
        {&dgn, "Checked by", "(none)"},
        {&xls, "Title", "One"},  // the summary comes before the user-defined "Title"
        {&xls, "title", "(none)"},
        {&xls, "Subject", "libgsf test"},
        {&xls, "Author", "Alex Q. Samples, Jnr."},
        {&xls, "Keywords", "hosts, libgsf, spreadsheet"},
        {&xls, "Created", "22:38:23:0 20/9/2004"},
        {&xls, "Last Saved", "17:44:49:0 18/10/2004"},
        {&xls, "Doc Security", "0"},
        {&xls, "Category", "Test Case"},
        {&xls, "Manager", "P. H. Boss"},
        {&xls, "Company", "The Sample Company"},
        {&xls, "Checked by", "Dorothy"},
        {&xls, "Client", "A Small Co."},
        {&xls, "Birthday", "7:0:0:0 28/10/1948"},
        {&xls, "LOC", "123456"},
        {&xls, "Was it good", "TRUE"},
        {&xls, "_EmailSubject", "Re: Status"},
        {&xls, "Titles of Parts", "(Unhandled type: 0x0000101e)"},
        {&doc, "Author", "Laurence Ipsum"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(property(*c.path, c.name), c.text) << *c.path << ": " << c.name;
}

TEST_F(Drawing, OnlyARootStorageNamedDgnMdMakesADrawing)
{
    std::string storage = file("storage.dgn", {{"Dgn-Md", true, "", {stream("#000000", "x")}}});
    std::string streamed = file("stream.dgn", {stream("Dgn-Md", "not a storage")});
    std::string lower = file("lower.dgn", {{"dgn-md", true, "", {}}});
    std::string deeper = file("deeper.dgn", {{"Other", true, "", {{"Dgn-Md", true, "", {}}}}});
    EXPECT_EQ(psFile_isV8Dgn(storage.c_str()), 1);
    EXPECT_EQ(psFile_isV8Dgn(streamed.c_str()), 0);
    EXPECT_EQ(psFile_isV8Dgn(lower.c_str()), 0);
    EXPECT_EQ(psFile_isV8Dgn(deeper.c_str()), 0);
    EXPECT_EQ(psFile_isV8Dgn(dir_.write("plain.dgn", "plain text, no compound file").c_str()), 0);
    EXPECT_EQ(psFile_isV8Dgn(dir_.file("missing.dgn").c_str()), 0);
    EXPECT_EQ(psFile_isV8Dgn(("/" + std::string(300, 'x')).c_str()), 0);
    EXPECT_EQ(psFile_isV8Dgn(nullptr), 0);
}

TEST_F(Drawing, OpenFailuresSayWhy)
{
    std::string said;
    EXPECT_EQ(property(dir_.write("plain.dgn", std::string(2000, 'p')), "Title", &said), "(none)");
    EXPECT_EQ(said, "Not a compound file.");
    EXPECT_EQ(property(dir_.file("missing.dgn"), "Title", &said), "(none)");
    EXPECT_EQ(said, "File not found.");
    EXPECT_EQ(property(dir_.path(), "Title", &said), "(none)");
    EXPECT_EQ(said, "StgOpenStorage() failed w/error 80030005");
    char value[1024] = "x";
    EXPECT_EQ(histo_getV8Prop(nullptr, "Title", value), 0);
    EXPECT_STREQ(value, "");
    EXPECT_EQ(histo_getV8Prop(dir_.file("x").c_str(), nullptr, value), 0);
    EXPECT_EQ(histo_getV8Prop(dir_.file("x").c_str(), "Title", nullptr), 0);
}

TEST_F(Drawing, EveryVariantTypeHasItsText)
{
    std::vector<std::pair<uint32_t, std::string>> names;
    std::vector<StoredProperty> props = {codePage(1252)};
    auto add = [&](const char* name, uint16_t type, std::string value) {
        uint32_t id = uint32_t(props.size() + 1);
        names.emplace_back(id, name);
        props.push_back({id, type, std::move(value)});
    };
    add("array", VT_ARRAY | VT_I4, storedI4(1));
    add("byref", VT_BYREF | VT_I4, storedI4(1));
    add("empty", VT_EMPTY, "");
    add("null", VT_NULL, "");
    add("i2", VT_I2, storedI2(-12));
    add("i4", VT_I4, storedI4(-123456));
    float r4 = 1.5f;
    add("r4", VT_R4, std::string(reinterpret_cast<const char*>(&r4), 4));
    add("r8", VT_R8, storedR8(-2.25));
    add("bstr", VT_BSTR, storedCodePageString("caf\xe9"));
    add("lpwstr", VT_LPWSTR, storedUnicodeString(u"\u00fcber \u20ac"));
    add("lpstr", VT_LPSTR, storedCodePageString("as stored \x9a"));
    add("long lpstr", VT_LPSTR, storedCodePageString(std::string(5000, 'L')));
    add("true", VT_BOOL, storedBool(true));
    add("false", VT_BOOL, storedBool(false));
    add("filetime", VT_FILETIME, storedFiletime(116444736000000000ull + 14 * 36000000000ull + 123 * 10000));
    add("before 1970", VT_FILETIME, storedFiletime(116444736000000000ull - 864000000000ull));
    add("blob", VT_BLOB, storedCodePageString("blob"));
    add("cf", VT_CF, storedCodePageString("cf"));
    add("ui4", 19, storedI4(7));
    add("vector", VT_VECTOR | VT_LPSTR, storedI4(0));
    props.insert(props.begin(), {0, 0, storedDictionary(names)});
    std::string path = file("types.dgn", {stream("\005DocumentSummaryInformation",
                                                 propertySetStream({{kDocument, {codePage(1252)}}, {kUser, props}}))});

    struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"array", "(Array)"},
        {"byref", "(ByRef)"},
        {"empty", ""},
        {"null", ""},
        {"i2", "-12"},
        {"i4", "-123456"},
        {"r4", "1.500000"},
        {"r8", "-2.250000"},
        {"bstr", "caf\xe9"},
        {"lpwstr", "\xfc" "ber ?"},  // beyond U+00FF there is no 8-bit form
        {"lpstr", "as stored \x9a"},
        {"long lpstr", std::string(1023, 'L')},
        {"true", "TRUE"},
        {"false", "FALSE"},
        {"filetime", "14:0:0:123 1/1/1970"},
        {"before 1970", "0:0:0:0 31/12/1969"},
        {"blob", "(VT_BLOB)"},
        {"cf", "(Clipboard format)"},
        {"ui4", "(Unhandled type: 0x00000013)"},
        {"vector", "(Unhandled type: 0x0000101e)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(property(path, c.name), c.text) << c.name;
}

TEST_F(Drawing, StringsFollowTheirSectionsCodePage)
{
    StoredSection utf16{kSummary, {codePage(1200),
                                   {2, VT_LPSTR, std::string("\x08\0\0\0T\0i\0t\0\xe9\0", 12)},
                                   {3, VT_BSTR, std::string("\x06\0\0\0\x01\x01" "b\0\0\0", 10)},
                                   {4, VT_LPWSTR, storedUnicodeString(u"Author")}}};
    StoredSection central{kDocument, {codePage(1250),
                                      {2, VT_BSTR, storedCodePageString("\xe8" "a")},  // U+010D
                                      {14, VT_LPSTR, storedCodePageString("\xe8" "a")}}};
    std::string path = file("cp.dgn", {stream("\005SummaryInformation", propertySetStream({utf16})),
                                       stream("\005DocumentSummaryInformation", propertySetStream({central}))});
    EXPECT_EQ(property(path, "Title"), "Tit\xe9");
    EXPECT_EQ(property(path, "Subject"), "?b");
    EXPECT_EQ(property(path, "Author"), "Author");
    EXPECT_EQ(property(path, "Category"), "?a");
    EXPECT_EQ(property(path, "Manager"), "\xe8" "a");  // 8-bit strings as stored
}

TEST_F(Drawing, DamagedStreamsLoseOnlyWhatIsDamaged)
{
    std::string good = propertySetStream({{kSummary, {codePage(1252),
                                                     {2, VT_LPSTR, storedCodePageString("kept")},
                                                     {3, VT_LPSTR, storedCodePageString("damaged")}}}});
    std::string damaged = good;
    // The second value's size runs past its section.
    size_t at = damaged.find("damaged") - 4;
    damaged[at + 3] = '\x7f';
    std::string document = propertySetStream({{kDocument, {codePage(1252), {14, VT_LPSTR, storedCodePageString("boss")}}}});
    std::string path = file("damaged.dgn", {stream("\005SummaryInformation", damaged),
                                            stream("\005DocumentSummaryInformation", document)});
    EXPECT_EQ(property(path, "Title"), "kept");
    EXPECT_EQ(property(path, "Subject"), "");  // skipped: reads as absent

    std::string said;
    std::string broken = file("header.dgn", {stream("\005SummaryInformation", good.substr(0, 30)),
                                             stream("\005DocumentSummaryInformation", document)});
    EXPECT_EQ(property(broken, "Title", &said), "(none)");
    EXPECT_EQ(said, "IPropertyStg::ReadMultiple() failed w/error 800300fb\n");
    EXPECT_EQ(property(broken, "Manager"), "boss");  // the next set is still read

    // Every cut of a valid stream, and every byte flipped, stays in bounds.
    for (size_t n = 0; n <= good.size(); ++n) {
        std::vector<PropertySection> sections;
        parsePropertySetStream(std::string_view(good).substr(0, n), &sections);
    }
    for (size_t k = 0; k < good.size(); ++k) {
        std::string bent = good;
        bent[k] = char(bent[k] ^ 0xFF);
        std::vector<PropertySection> sections;
        parsePropertySetStream(bent, &sections);
    }
}

TEST_F(Drawing, DamagedContainersLeaveStandardErrorSilent)
{
    // A drawing whose second root element cannot be read (found by the fuzz
    // target); the seed's first byte picks the fuzz mode.
    std::string seed = testing_support::readFile(PELUND_SOURCE_DIR "/fuzz/seeds/drawing_fuzz/unreadable-child.seed");
    ASSERT_GT(seed.size(), 512u);
    std::string path = dir_.write("damaged.dgn", seed.substr(1));
    testing::internal::CaptureStderr();
    int isDgn = psFile_isV8Dgn(path.c_str());
    std::string said;
    property(path, "Title", &said);
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(isDgn, 1);
    EXPECT_EQ(errors, "");
}

TEST_F(Drawing, UserDefinedNamesAreExactAndTheLastWins)
{
    std::vector<StoredProperty> props = {
        {0, 0, storedDictionary({{2, "Client"}, {3, "client"}, {4, "Client"}})},
        codePage(1252),
        {2, VT_LPSTR, storedCodePageString("first")},
        {3, VT_LPSTR, storedCodePageString("lower")},
        {4, VT_LPSTR, storedCodePageString("last")},
        {5, VT_LPSTR, storedCodePageString("no name")},
    };
    std::string path = file("user.dgn", {stream("\005DocumentSummaryInformation",
                                                propertySetStream({{kDocument, {codePage(1252)}}, {kUser, props}}))});
    EXPECT_EQ(property(path, "Client"), "last");
    EXPECT_EQ(property(path, "client"), "lower");
    EXPECT_EQ(property(path, "CLIENT"), "(none)");
}

TEST_F(Drawing, TheLocaleIsCAfterwards)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    psFile_isV8Dgn(dir_.file("missing").c_str());
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
    std::setlocale(LC_ALL, "C.UTF-8");
    property(dir_.file("missing"), "Title");
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
}

TEST(ColourTable, ReadsTheFirst256Entries)
{
    TempFolder dir;
    std::string table;
    for (int k = 0; k < 256; ++k)
        table += {char(k), char(255 - k), char(k ^ 0x55)};
    auto read = [&](const std::string& content, unsigned char* rgb) {
        return msapiFile_readColourTableToRGBArray(rgb, dir.write("table.tbl", content).c_str());
    };
    unsigned char rgb[768];
    std::fill(rgb, rgb + 768, 0xEE);
    EXPECT_EQ(read(table, rgb), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rgb), 768), table);

    std::fill(rgb, rgb + 768, 0xEE);
    EXPECT_EQ(read(table.substr(0, 767), rgb), 0);  // a short last entry counts
    EXPECT_EQ(rgb[767], 0xEE);
    EXPECT_EQ(rgb[766], (unsigned char)table[766]);

    std::fill(rgb, rgb + 768, 0xEE);
    EXPECT_EQ(read(table.substr(0, 765), rgb), PS_FAILURE);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rgb), 765), table.substr(0, 765));
    EXPECT_EQ(rgb[765], 0xEE);

    EXPECT_EQ(read(table + "trailing bytes", rgb), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rgb), 768), table);

    std::fill(rgb, rgb + 768, 0xEE);
    EXPECT_EQ(msapiFile_readColourTableToRGBArray(rgb, dir.file("missing").c_str()), PS_FAILURE);
    EXPECT_EQ(rgb[0], 0xEE);
    EXPECT_EQ(msapiFile_readColourTableToRGBArray(nullptr, dir.file("table.tbl").c_str()), PS_FAILURE);
    EXPECT_EQ(msapiFile_readColourTableToRGBArray(rgb, nullptr), PS_FAILURE);
}
