#include "frame/text_forms.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using namespace pelund;

namespace {

// Sets a locale for the length of a test and restores "C" afterwards.
struct LocaleScope {
    bool set;
    explicit LocaleScope(const char* name) : set(std::setlocale(LC_ALL, name) != nullptr) {}
    ~LocaleScope() { std::setlocale(LC_ALL, "C"); }
};

}  // namespace

TEST(TextForms, IdentityOnLatin1WhateverTheLocale)
{
    for (const char* locale : {"C", "C.UTF-8"}) {
        LocaleScope scope(locale);
        std::u16string all;
        for (char16_t c = 1; c <= 0xFF; ++c)
            all += c;
        char* narrow = wideToNarrowDup(all.c_str());
        ASSERT_NE(narrow, nullptr);
        ASSERT_EQ(std::char_traits<char>::length(narrow), all.size()) << locale;
        for (size_t i = 0; i < all.size(); ++i)
            EXPECT_EQ((unsigned char)narrow[i], all[i]) << locale;
        char16_t* back = narrowToWideDup(narrow);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(std::u16string(back), all) << locale;
        std::free(back);
        freeNarrowDup(narrow);
    }
}

TEST(TextForms, UnitsAboveLatin1BecomeQuestionMarks)
{
    LocaleScope scope("C.UTF-8");
    char* narrow = wideToNarrowDup(u"a\u00e9\u20acz\xd800");
    ASSERT_NE(narrow, nullptr);
    EXPECT_STREQ(narrow, "a\xe9?z?");
    freeNarrowDup(narrow);
}

TEST(TextForms, NullGivesNull)
{
    EXPECT_EQ(wideToNarrowDup(nullptr), nullptr);
    EXPECT_EQ(narrowToWideDup(nullptr), nullptr);
    freeNarrowDup(nullptr);
    NarrowDup none(nullptr);
    EXPECT_TRUE(none.okFor(nullptr));
    EXPECT_EQ(none.get(), nullptr);
}
