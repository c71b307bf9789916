#include "link/PipeMessage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(PipeMessageTest, EncodesLittleEndianAtTheFixedOffsets)
{
    PipeMessage m;
    m.code = -2;
    m.param1 = 1.0f;
    m.param6 = -2.5f;
    m.intParam = 0x01020304;
    SetPipeText(m, "scan.rad");
    const PipeBytes b = EncodePipeMessage(m);

    EXPECT_EQ(b.size(), 288u);
    const std::uint8_t code[] = {0xFE, 0xFF, 0xFF, 0xFF};
    const std::uint8_t one[] = {0x00, 0x00, 0x80, 0x3F};
    const std::uint8_t minus2_5[] = {0x00, 0x00, 0x20, 0xC0};
    const std::uint8_t intParam[] = {0x04, 0x03, 0x02, 0x01};
    EXPECT_EQ(std::memcmp(b.data(), code, 4), 0);
    EXPECT_EQ(std::memcmp(b.data() + 4, one, 4), 0);
    EXPECT_EQ(std::memcmp(b.data() + 24, minus2_5, 4), 0);
    EXPECT_EQ(std::memcmp(b.data() + 28, intParam, 4), 0);
    EXPECT_EQ(std::memcmp(b.data() + 32, "scan.rad\0", 9), 0);
    for (std::size_t i = 41; i < 288; ++i)
        ASSERT_EQ(b[i], 0) << i;

    const PipeMessage back = DecodePipeMessage(b);
    EXPECT_EQ(back.code, -2);
    EXPECT_EQ(back.param1, 1.0f);
    EXPECT_EQ(back.param6, -2.5f);
    EXPECT_EQ(back.intParam, 0x01020304);
    EXPECT_STREQ(back.text, "scan.rad");
}

TEST(PipeMessageTest, TextsAreAlwaysTerminatedWithinTheRecord)
{
    PipeBytes b;
    b.fill('A');
    const PipeMessage m = DecodePipeMessage(b);
    EXPECT_EQ(std::string(m.text), std::string(255, 'A'));

    PipeMessage cut;
    SetPipeText(cut, std::string(400, 'x').c_str());
    EXPECT_EQ(std::string(cut.text), std::string(255, 'x'));
    SetPipeText(cut, "short");
    EXPECT_STREQ(cut.text, "short");
    EXPECT_EQ(cut.text[6], '\0') << "no rest of the longer text is left behind";
}

} // namespace
