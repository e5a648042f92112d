// SPDX-License-Identifier: BSD-3-Clause
// The command line's UTF-8 / UTF-16 conversion, the JSON string quoting and the result names.
#include "container/codec_error.h"
#include "tools/zemtool/json_writer.h"
#include "tools/zemtool/tool_errors.h"
#include "tools/zemtool/utf_text.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace zem;

namespace tool_tests {
namespace {

using zemtool::JsonQuote;
using zemtool::Utf8FromWide;
using zemtool::WideFromUtf8;
using zemtool::WideText;

WideText Units(std::initializer_list<uint16_t> units) {
    WideText text;
    for (uint16_t unit : units)
        text += static_cast<zemtool::WideChar>(unit);
    return text;
}

TEST(UtfTextTest, EveryLengthOfSequenceRoundTrips) {
    const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5";  // A, e-acute, euro, a note
    const WideText wide = Units({0x41, 0xE9, 0x20AC, 0xD83C, 0xDFB5});
    EXPECT_EQ(WideFromUtf8(utf8), wide);
    EXPECT_EQ(Utf8FromWide(wide), utf8);
}

TEST(UtfTextTest, LoneSurrogatesSurviveTheRoundTrip) {
    // Windows names may hold unpaired surrogates; they must reach the file
    // system unchanged.
    const WideText wide = Units({0x61, 0xD800, 0x62, 0xDC01});
    const std::string utf8 = Utf8FromWide(wide);
    EXPECT_EQ(utf8, "a\xED\xA0\x80" "b\xED\xB0\x81");
    EXPECT_EQ(WideFromUtf8(utf8), wide);
}

TEST(UtfTextTest, MalformedBytesBecomeReplacementCharacters) {
    EXPECT_EQ(WideFromUtf8("\x80"), Units({0xFFFD}));
    EXPECT_EQ(WideFromUtf8("a\xC3"), Units({0x61, 0xFFFD}));          // cut short at the end
    EXPECT_EQ(WideFromUtf8("\xC3(" ), Units({0xFFFD, 0x28}));         // bad continuation
    EXPECT_EQ(WideFromUtf8("\xC0\xAF"), Units({0xFFFD, 0xFFFD}));      // overlong lead is never valid
    EXPECT_EQ(WideFromUtf8("\xE0\x80\xAF"), Units({0xFFFD}));          // overlong three-byte form
    EXPECT_EQ(WideFromUtf8("\xF4\x90\x80\x80"), Units({0xFFFD}));      // above U+10FFFF
}

TEST(JsonQuoteTest, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(JsonQuote("C:\\Music\\\"Best\".zem"), "\"C:\\\\Music\\\\\\\"Best\\\".zem\"");
    EXPECT_EQ(JsonQuote("a\nb\rc\td\be\ff"), "\"a\\nb\\rc\\td\\be\\ff\"");
    EXPECT_EQ(JsonQuote(std::string("\x01\x1F\x7F", 3)), "\"\\u0001\\u001f\\u007f\"");
    EXPECT_EQ(JsonQuote(std::string("nul\0here", 8)), "\"nul\\u0000here\"");
}

TEST(JsonQuoteTest, KeepsWellFormedUtf8AndReplacesTheRest) {
    EXPECT_EQ(JsonQuote("Caf\xC3\xA9 \xF0\x9F\x8E\xB5"), "\"Caf\xC3\xA9 \xF0\x9F\x8E\xB5\"");
    EXPECT_EQ(JsonQuote("Caf\xE9"), "\"Caf\\ufffd\"");
    EXPECT_EQ(JsonQuote("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");
    EXPECT_EQ(JsonQuote("\xF0\x9F\x8E\xB5 \xC0\xAF \xE2\x82"), "\"\xF0\x9F\x8E\xB5 \\ufffd\\ufffd \\ufffd\\ufffd\"");
}

TEST(JsonObjectWriterTest, WritesMembersInOrderAndClosesTheObject) {
    std::ostringstream out;
    {
        zemtool::JsonObjectWriter json(out);
        json.AddString("Name", "x\"y");
        json.AddInteger("Count", -12);
        json.AddInteger("Big", 4294967296LL);
    }
    EXPECT_EQ(out.str(), "{\n  \"Name\": \"x\\\"y\",\n  \"Count\": -12,\n  \"Big\": 4294967296\n}\n");
    std::ostringstream empty;
    { zemtool::JsonObjectWriter json(empty); }
    EXPECT_EQ(empty.str(), "{}\n");
}

}  // namespace
}  // namespace tool_tests

namespace {

// zemtool names its results as the codec does, number for number.
TEST(ToolErrors, NamesAndNumbersAreTheCodecs) {
    const std::pair<int, int> codes[] = {
        {zemtool::CODEC_OK, CodecError::CODEC_OK},
        {zemtool::CODEC_FAILED, CodecError::CODEC_FAILED},
        {zemtool::CODEC_INVALID_PARAMETER, CodecError::CODEC_INVALID_PARAMETER},
        {zemtool::CODEC_READ_FAILED, CodecError::CODEC_READ_FAILED},
        {zemtool::CODEC_WRITE_FAILED, CodecError::CODEC_WRITE_FAILED},
        {zemtool::CODEC_BAD_INPUT, CodecError::CODEC_BAD_INPUT},
        {zemtool::CODEC_BAD_CHECKSUM, CodecError::CODEC_BAD_CHECKSUM},
        {zemtool::CODEC_TRUNCATED, CodecError::CODEC_TRUNCATED},
        {zemtool::CODEC_PATH_REFUSED, CodecError::CODEC_PATH_REFUSED},
        {zemtool::CODEC_NO_MEMORY, CodecError::CODEC_NO_MEMORY},
        {zemtool::CODEC_BAD_ARGUMENT, CodecError::CODEC_BAD_ARGUMENT},
        {12345, 12345},
    };
    for (const auto& [ours, codecs] : codes) {
        EXPECT_EQ(ours, codecs);
        EXPECT_STREQ(zemtool::ToolErrorName(ours), CodecErrorName(codecs));
    }
}

}  // namespace
