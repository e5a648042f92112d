// SPDX-License-Identifier: BSD-3-Clause
// Parses arbitrary bytes as the text of a link file, against link paths of
// every kind, and checks that the image path always ends inside its field.
#include "fuzz/fuzz_input.h"
#include "platform/paths.h"
#include "link/link_file.h"

#include <vector>

using namespace zem;

namespace {

// A link path long enough that joining any name to its folder overflows.
WString LongLinkPath() {
    WString path = WTXT("C:\\");
    path.append(240, WTXT('d'));
    path += WTXT("\\track.zlk");
    return path;
}

void ParseWith(const char* text, const WCHAR* linkPath) {
    CLinkFile link;
    link.ParseLinkText(text, linkPath);
    const WCHAR* image = link.GetImagePath();
    FUZZ_REQUIRE(image != nullptr);
    size_t length = 0;
    while (length < kMaxPathChars && image[length] != 0)
        ++length;
    FUZZ_REQUIRE(length < kMaxPathChars);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzing::kMaxInputBytes)
        return 0;
    // Exactly the input and its terminator, so any read past the NUL is caught.
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    const WString longPath = LongLinkPath();
    ParseWith(text.data(), WTXT("C:\\Music\\album.zlk"));
    ParseWith(text.data(), WTXT("album.zlk"));
    ParseWith(text.data(), nullptr);
    ParseWith(text.data(), longPath.c_str());
    return 0;
}
