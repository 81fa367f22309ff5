#include <gtest/gtest.h>

#include "platform/com/Guid.h"

namespace {

constexpr GUID kFilterGraph = MakeGuid("{E436EBB3-524F-11CE-9F53-0020AF0BA770}");

TEST(Guid, LiteralHasThePlatformLayout) {
    EXPECT_EQ(kFilterGraph.Data1, 0xE436EBB3u);
    EXPECT_EQ(kFilterGraph.Data2, 0x524F);
    EXPECT_EQ(kFilterGraph.Data3, 0x11CE);
    const uint8_t tail[8] = {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(kFilterGraph.Data4[i], tail[i]) << i;
}

TEST(Guid, FormatsUpperCaseAndParsesEitherCase) {
    EXPECT_EQ(GuidToString(kFilterGraph), "{E436EBB3-524F-11CE-9F53-0020AF0BA770}");
    auto parsed = GuidFromString("{e436ebb3-524f-11ce-9f53-0020af0ba770}");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, kFilterGraph);
    EXPECT_EQ(GuidFromString(GuidToString(kFilterGraph)), kFilterGraph);
}

TEST(Guid, RejectsMalformedText) {
    for (const char* bad : {"", "{}", "E436EBB3-524F-11CE-9F53-0020AF0BA770", "{E436EBB3-524F-11CE-9F53-0020AF0BA77}",
                            "{E436EBB3-524F-11CE-9F53-0020AF0BA7700}", "{E436EBB3_524F-11CE-9F53-0020AF0BA770}",
                            "{E436EBB3-524F-11CE-9F53-0020AF0BA77G}", "{E436EBB3-524F-11CE-9F5-30020AF0BA770}"})
        EXPECT_FALSE(GuidFromString(bad)) << bad;
}

TEST(Guid, ComparesEveryByte) {
    GUID other = kFilterGraph;
    EXPECT_TRUE(IsEqualGUID(other, kFilterGraph));
    other.Data4[7] ^= 1;
    EXPECT_FALSE(IsEqualGUID(other, kFilterGraph));
    EXPECT_EQ(GuidFromFourCC(0x32315659).Data1, 0x32315659u);  // 'YV12'
}

}  // namespace
