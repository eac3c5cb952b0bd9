#include "pelund/misc.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(BufferGrant, ZeroSizeGivesNullAndLeavesGrantedAlone)
{
    uint64_t granted = 77;
    EXPECT_EQ(psMisc_callocBuffer(0, &granted), nullptr);
    EXPECT_EQ(granted, 77u);
    EXPECT_EQ(psMisc_reallocBuffer(nullptr, 0, &granted), nullptr);
    EXPECT_EQ(granted, 77u);
}

TEST(BufferGrant, GivesZeroedBlockOfRequestedSize)
{
    uint64_t granted = 0;
    auto* block = static_cast<unsigned char*>(psMisc_callocBuffer(4096, &granted));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(granted, 4096u);
    EXPECT_TRUE(psMisc_isDataNull(block, 4096));
    EXPECT_EQ(psMisc_freeBuffer(&block), 0);
}

TEST(BufferGrant, ReallocKeepsContentAndGrantedMayBeNull)
{
    auto* block = static_cast<char*>(psMisc_callocBuffer(8, nullptr));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "abcdefg", 8);
    uint64_t granted = 0;
    auto* bigger = static_cast<char*>(psMisc_reallocBuffer(block, 1 << 20, &granted));
    ASSERT_NE(bigger, nullptr);
    EXPECT_EQ(granted, uint64_t(1) << 20);
    EXPECT_STREQ(bigger, "abcdefg");
    EXPECT_EQ(psMisc_freeBuffer(&bigger), 0);
}

// A request far beyond any heap degrades by halving to a block that can be
// had; the block is zeroed and its size reported. Only a few pages are
// touched, so the test does not commit the whole block.
TEST(BufferGrant, RequestTheHeapCannotSatisfyGivesSmallerZeroedBlock)
{
    const uint64_t asked = uint64_t(1) << 62;
    uint64_t granted = 0;
    auto* block = static_cast<unsigned char*>(psMisc_callocBuffer(asked, &granted));
    ASSERT_NE(block, nullptr);
    EXPECT_LT(granted, asked);
    EXPECT_GT(granted, 0u);
    // The granted size is the request halved some number of times.
    EXPECT_EQ(asked % granted, 0u);
    EXPECT_TRUE(psMisc_isDataNull(block, 4096));
    EXPECT_TRUE(psMisc_isDataNull(block + granted - 4096, 4096));
    block[granted - 1] = 1;  // the whole granted size is usable
    EXPECT_EQ(psMisc_freeBuffer(&block), 0);
}

TEST(BufferFree, SecondCallIsHarmless)
{
    void* block = psMisc_callocBuffer(16, nullptr);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(psMisc_freeBuffer(&block), PS_SUCCESS);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(psMisc_freeBuffer(&block), PS_FAILURE);
    EXPECT_EQ(psMisc_freeBuffer(nullptr), PS_FAILURE);
}

TEST(BufferFree, SecondNamesFreeTheSameWay)
{
    for (auto release : {psStringDynamic_freeA, psStringDynamic_freeW, psMath_freeIntList,
                         vnDBUtils_freeList}) {
        void* block = psMisc_callocBuffer(16, nullptr);
        EXPECT_EQ(release(&block), 0);
        EXPECT_EQ(block, nullptr);
        EXPECT_EQ(release(&block), 0x8000);
    }
}

TEST(IsDataNull, Cases)
{
    unsigned char zeros[16] = {};
    unsigned char one[16] = {};
    one[15] = 1;
    EXPECT_EQ(psMisc_isDataNull(zeros, 16), 1);
    EXPECT_EQ(psMisc_isDataNull(one, 16), 0);
    EXPECT_EQ(psMisc_isDataNull(one, 15), 1);
    EXPECT_EQ(psMisc_isDataNull(one, 0), 1);
    EXPECT_EQ(psMisc_isDataNull(one, -5), 1);
    EXPECT_EQ(psMisc_isDataNull(nullptr, 16), 1);
}
