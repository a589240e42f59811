#include "platform/foundation/Utf8.h"

#include <gtest/gtest.h>

#include <string>

TEST(Utf8, AcceptsWellFormedText) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain ascii text longer than eight bytes"));
    EXPECT_TRUE(
        isValidUtf8("Gr\xC3\xBC\xC3\x9F"
                    "e \xE2\x82\xAC \xF0\x9F\x98\x80"));
    EXPECT_TRUE(isValidUtf8(std::string("a\0b", 3)));
}

TEST(Utf8, RejectsMalformedText) {
    EXPECT_FALSE(isValidUtf8("caf\xE9"));           // Latin-1 byte
    EXPECT_FALSE(isValidUtf8("\xC3"));              // truncated at the end
    EXPECT_FALSE(isValidUtf8("12345678\xE2\x82"));  // truncated after an ASCII run
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));      // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("\x80"));              // lone continuation
    EXPECT_FALSE(isValidUtf8("\xC3\x28"));          // bad continuation
}
