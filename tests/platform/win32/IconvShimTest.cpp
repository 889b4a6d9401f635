// The iconv shim freexl is built on in the Windows build (cmake/windows/iconv): Excel's code pages
// and UTF-16 to UTF-8, the counts and pointers iconv's callers step by, and the refusals.
#include <iconv.h>
#include <localcharset.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

// Converts `in` from `from` to UTF-8 into a buffer of `room` bytes; the text, or "error N".
std::string convert(const char* from, std::string in, std::size_t room = 64) {
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return "cannot open";
    std::string out(room, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size(), outLeft = room;
    const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) {
        // A refused conversion leaves the caller's pointers and counts as they were.
        EXPECT_EQ(inPtr, in.data());
        EXPECT_EQ(outLeft, room);
        return "error " + std::to_string(errno);
    }
    EXPECT_EQ(inLeft, 0u);
    EXPECT_EQ(inPtr, in.data() + in.size());
    EXPECT_EQ(outPtr, out.data() + (room - outLeft));
    return out.substr(0, room - outLeft);
}

TEST(IconvShim, ConvertsExcelsCodePagesAndUtf16ToUtf8) {
    EXPECT_EQ(convert("CP1252", "caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(convert("cp1251", "\xC4\xE0"), "\xD0\x94\xD0\xB0");
    EXPECT_EQ(convert("MacRoman", "\x8E"), "\xC3\xA9");
    EXPECT_EQ(convert("ASCII", "plain"), "plain");
    EXPECT_EQ(convert("UTF-16LE", std::string("h\0\xE9\0", 4)), "h\xC3\xA9");
    EXPECT_EQ(convert("CP1252", ""), "");
}

TEST(IconvShim, RefusesUnknownCodePagesShortOutputAndHalfCharacters) {
    for (const char* name : {"CP99999", "CP", "CP12x", "EBCDIC-XYZ"}) {
        errno = 0;
        EXPECT_EQ(iconv_open("UTF-8", name), reinterpret_cast<iconv_t>(-1)) << name;
        EXPECT_EQ(errno, EINVAL) << name;
    }
    EXPECT_EQ(iconv_open("CP1252", "UTF-8"), reinterpret_cast<iconv_t>(-1)) << "only conversions to UTF-8";
    EXPECT_EQ(convert("CP1252", "caf\xE9", 4), "error " + std::to_string(E2BIG));
    EXPECT_EQ(convert("UTF-16LE", std::string("h\0\xE9", 3)), "error " + std::to_string(EINVAL));
    EXPECT_EQ(std::string(locale_charset()).rfind("CP", 0), 0u);
}

} // namespace
