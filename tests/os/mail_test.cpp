#include "pelund/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "tests/support/temp_folder.h"

using testing_support::readFile;
using testing_support::TempFolder;

namespace {

// A stand-in xdg-email first on PATH: records its arguments, one per line,
// and exits with $PELUND_MAIL_EXIT.
class Mail : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string script = dir_.write("bin/xdg-email",
                                        "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$PELUND_MAIL_RECORD\"\n"
                                        "exit ${PELUND_MAIL_EXIT:-0}\n");
        chmod(script.c_str(), 0755);
        saved_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", (dir_.file("bin") + ":" + saved_).c_str(), 1);
        setenv("PELUND_MAIL_RECORD", dir_.file("record").c_str(), 1);
        unsetenv("PELUND_MAIL_EXIT");
    }
    void TearDown() override { setenv("PATH", saved_.c_str(), 1); }

    TempFolder dir_;
    std::string saved_;
};

}  // namespace

TEST_F(Mail, HandsAPreparedMessageToTheMailProgram)
{
    std::string file = dir_.write("report.dgn", "drawing");
    ASSERT_EQ(psMAPI_sendFileToMailRecipient(nullptr, file.c_str(), "Crash report", "Line one\nline two"), 0);
    EXPECT_EQ(readFile(dir_.file("record")),
              "--subject\nCrash report\n--body\nLine one\nline two\n--attach\n" + file +
                  "\nPelundLib Support Desk <support@example.com>\n");

    std::string longSubject(400, 's');
    ASSERT_EQ(psMAPI_sendFileToMailRecipient(nullptr, file.c_str(), longSubject.c_str(), nullptr), 0);
    EXPECT_EQ(readFile(dir_.file("record")), "--subject\n" + std::string(271, 's') + "\n--body\n\n--attach\n" +
                                                 file + "\nPelundLib Support Desk <support@example.com>\n");
}

TEST_F(Mail, FailuresGiveMinusOne)
{
    std::string file = dir_.write("report.dgn", "drawing");
    EXPECT_EQ(psMAPI_sendFileToMailRecipient(nullptr, "", "s", "n"), -1);
    EXPECT_EQ(psMAPI_sendFileToMailRecipient(nullptr, nullptr, "s", "n"), -1);
    EXPECT_EQ(psMAPI_sendFileToMailRecipient(nullptr, ("/" + std::string(300, 'x')).c_str(), "s", "n"), -1);
    setenv("PELUND_MAIL_EXIT", "4", 1);  // xdg-email: the action failed
    EXPECT_EQ(psMAPI_sendFileToMailRecipient(nullptr, file.c_str(), "s", "n"), -1);
    setenv("PATH", dir_.file("empty").c_str(), 1);  // no mail program at all
    EXPECT_EQ(psMAPI_sendFileToMailRecipient(nullptr, file.c_str(), "s", "n"), -1);
}
