// The Windows-1250 table of the 8-bit archive strings, checked against the C library's
// own converter (glibc iconv), byte for byte.

#include "Cp1250.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <iconv.h>

namespace {

TEST(Cp1250, Windows1250TableAgreesWithIconvOnAll256Bytes)
{
    iconv_t cd = iconv_open("UTF-16LE", "CP1250");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int undefined = 0;
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        char out[8] = {};
        char* inPtr = &in;
        char* outPtr = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const char16_t ours = Cp1250ToUtf16(static_cast<std::uint8_t>(b));
        if (result == static_cast<std::size_t>(-1)) {
            // Bytes Windows-1250 does not define.
            EXPECT_EQ(errno, EILSEQ) << b;
            EXPECT_EQ(ours, kCp1250Undefined) << b;
            ++undefined;
        } else {
            ASSERT_EQ(sizeof out - outLeft, 2u) << b;
            const char16_t theirs = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                                          (static_cast<unsigned char>(out[1]) << 8));
            EXPECT_EQ(ours, theirs) << "byte " << b;
        }
    }
    iconv_close(cd);
    EXPECT_EQ(undefined, 5);
}

} // namespace
