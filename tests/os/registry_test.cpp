#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "pelund/system.h"
#include "tests/support/temp_folder.h"

using testing_support::TempFolder;
using namespace std::string_literals;

namespace {

std::string utf16le(const std::u16string& text)
{
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out += char(c & 0xFF);
        out += char(c >> 8);
    }
    return out;
}

// Registry stores in a temporary folder: machine hives and the user's hive.
class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("PELUND_REGISTRY_DIR", dir_.file("machine").c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir_.file("config").c_str(), 1);
        dir_.write("machine/HKLM.reg",
                   utf16le(u"Windows Registry Editor Version 5.00\r\n"
                           u"\r\n"
                           u"; a comment\r\n"
                           u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pelund\\Tool]\r\n"
                           u"@=\"the default\"\r\n"
                           u"\"InstallDir\"=\"C:\\\\Program Files\\\\Tool \\\"x\\\"\"\r\n"
                           u"\"Count\"=dword:00000010\r\n"
                           u"\"Blob\"=hex:01,02,03,\\\r\n"
                           u"  04,05\r\n"
                           u"\"Expand\"=hex(2):25,00,50,00,25,00,00,00\r\n"
                           u"\"AsBytes\"=hex(1):c4,00,42,00,00,00\r\n"
                           u"\"Unicode\"=\"\u00e9\u20ac\"\r\n"
                           u"\"Broken\"=\"no end\r\n"
                           u"\"BadHex\"=hex:01,zz\r\n"
                           u"\"Removed\"=\"soon\"\r\n"
                           u"\"Removed\"=-\r\n"
                           u"\"Later\"=\"first\"\r\n"
                           u"\r\n"
                           u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Pelund\\Tool]\r\n"
                           u"\"InstallDir\"=\"32-bit\"\r\n"
                           u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pelund\\Tool]\r\n"
                           u"\"Later\"=\"second\"\r\n"
                           u"\"Long\"=\"" + std::u16string(499, u'L') + u"\"\r\n"
                           u"\"TooLong\"=\"" + std::u16string(500, u'L') + u"\"\r\n"
                           u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\r\n"
                           u"\"Value\"=\"here\"\r\n"
                           u"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\r\n"
                           u"[HKEY_CURRENT_USER\\SOFTWARE\\Pelund\\Tool]\r\n"
                           u"\"Elsewhere\"=\"another hive\"\r\n"));
        dir_.write("config/PelundLib/registry/HKCU.reg",
                   "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Pelund]\n\"Name\"=\"caf\xc3\xa9\"\n"
                   "\"Latin\"=hex(1):41,e9,00\n"
                   "\"WithNul\"=\"before"s + '\0' + "after\"\n");
        dir_.write("machine/HKCR.reg", "no header line\n[HKEY_CLASSES_ROOT\\.dgn]\n@=\"Drawing\"\n");
    }
    void TearDown() override
    {
        unsetenv("PELUND_REGISTRY_DIR");
        unsetenv("XDG_CONFIG_HOME");
    }

    // The value as read with a 64-unit buffer, or "failed"/"untouched".
    std::u16string read(const char16_t* hive, const char16_t* key, const char16_t* name, int view = 0)
    {
        ps_char16 value[600] = u"untouched";
        int rc = psWinAPI_readRegistryValue(value, hive, key, name, 600, view);
        return rc == 0 ? std::u16string(value) : u"failed";
    }

    TempFolder dir_;
};

}  // namespace

TEST_F(Registry, ReadsStringValuesOfAnExportedFile)
{
    const char16_t* tool = u"SOFTWARE\\Pelund\\Tool";
    EXPECT_EQ(read(u"HKLM", tool, u"InstallDir"), u"C:\\Program Files\\Tool \"x\"");
    EXPECT_EQ(read(u"HKLM", u"software\\pelund\\TOOL\\", u"installdir"), u"C:\\Program Files\\Tool \"x\"");
    EXPECT_EQ(read(u"HKLM", tool, nullptr), u"the default");
    EXPECT_EQ(read(u"HKLM", tool, u"Unicode"), u"\u00e9\u20ac");
    EXPECT_EQ(read(u"HKLM", tool, u"AsBytes"), u"\u00c4B");
    EXPECT_EQ(read(u"HKLM", tool, u"Later"), u"second");  // what comes later wins
    EXPECT_EQ(read(u"HKLM", tool, u"Long"), std::u16string(499, u'L'));
    EXPECT_EQ(read(u"HKCU", u"Software\\Pelund", u"Name"), u"caf\u00e9");
    EXPECT_EQ(read(u"HKCU", u"Software\\Pelund", u"Latin"), u"A\u00e9");  // REGEDIT4 bytes are 8-bit
    EXPECT_EQ(read(u"HKCU", u"Software\\Pelund", u"WithNul"), u"before");
}

TEST_F(Registry, OtherTypesLeaveTheBufferAlone)
{
    for (const char16_t* name : {u"Count", u"Blob", u"Expand"})
        EXPECT_EQ(read(u"HKLM", u"SOFTWARE\\Pelund\\Tool", name), u"untouched");
}

TEST_F(Registry, RefusesWhatIsNotThereOrDoesNotParse)
{
    const char16_t* tool = u"SOFTWARE\\Pelund\\Tool";
    for (const char16_t* name : {u"Broken", u"BadHex", u"Removed", u"Missing", u"TooLong", u"Elsewhere"})
        EXPECT_EQ(read(u"HKLM", tool, name), u"failed");
    EXPECT_EQ(read(u"HKLM", u"SOFTWARE\\Gone", u"Value"), u"failed");
    EXPECT_EQ(read(u"HKLM", u"SOFTWARE\\Pelund\\Missing", u"InstallDir"), u"failed");
    EXPECT_EQ(read(u"HKEY_LOCAL_MACHINE", tool, u"InstallDir"), u"failed");
    EXPECT_EQ(read(u"hklm", tool, u"InstallDir"), u"failed");
    EXPECT_EQ(read(nullptr, tool, u"InstallDir"), u"failed");
    EXPECT_EQ(read(u"HKCR", u".dgn", nullptr), u"failed");  // no header line: holds nothing
    EXPECT_EQ(read(u"HKU", u"x", u"y"), u"failed");          // no file
}

TEST_F(Registry, The32BitViewReadsTheTwinWhereOneExists)
{
    EXPECT_EQ(read(u"HKLM", u"SOFTWARE\\Pelund\\Tool", u"InstallDir", 1), u"32-bit");
    EXPECT_EQ(read(u"HKLM", u"SOFTWARE\\Pelund\\Tool", u"Later", 1), u"failed");  // the twin has none
    EXPECT_EQ(read(u"HKLM", u"SOFTWARE\\Pelund\\Tool", u"InstallDir", 2), u"C:\\Program Files\\Tool \"x\"");
    EXPECT_EQ(read(u"HKCU", u"Software\\Pelund", u"Name", 1), u"caf\u00e9");  // no twin
}

TEST_F(Registry, CopiesAsWcsncpyDoes)
{
    ps_char16 value[8];
    std::fill(value, value + 8, u'#');
    ASSERT_EQ(psWinAPI_readRegistryValue(value, u"HKCU", u"Software\\Pelund", u"Name", 3, 0), 0);
    EXPECT_EQ(std::u16string(value, 8), u"caf#####");  // full: not terminated
    ASSERT_EQ(psWinAPI_readRegistryValue(value, u"HKCU", u"Software\\Pelund", u"Name", 6, 0), 0);
    EXPECT_EQ(std::u16string(value, 8), std::u16string(u"caf\u00e9\0\0##", 8));
}
