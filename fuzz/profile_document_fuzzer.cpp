// SPDX-License-Identifier: BSD-3-Clause
// Parses arbitrary bytes as an INI file, checks that an untouched document is
// written back byte for byte, then makes one edit and checks that it reads
// back and that every other line keeps its bytes.
#include "fuzz/fuzz_input.h"
#include "platform/linux/profile_document.h"

#include <string>
#include <vector>

using zem::win32_linux::ProfileDocument;

namespace {

constexpr size_t kPrefixBytes = 4;  // operation, section, key and value picks

using Line = std::vector<uint8_t>;

// The file's lines as bytes, without their line breaks, the way the document
// splits them: at '\n' code units, with a '\r' in front of one dropped.
std::vector<Line> SplitLines(const std::vector<uint8_t>& bytes) {
    size_t unit = 1, start = 0;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        start = unit = 2;
    else if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        start = 3;
    auto is = [&](size_t at, uint8_t value) { return bytes[at] == value && (unit == 1 || bytes[at + 1] == 0); };
    std::vector<Line> lines;
    size_t begin = start;
    for (size_t i = start; i + unit <= bytes.size(); i += unit) {
        if (!is(i, '\n'))
            continue;
        const size_t stop = i >= begin + unit && is(i - unit, '\r') ? i - unit : i;
        lines.emplace_back(bytes.begin() + static_cast<long>(begin), bytes.begin() + static_cast<long>(stop));
        begin = i + unit;
    }
    if (begin < bytes.size())
        lines.emplace_back(bytes.begin() + static_cast<long>(begin), bytes.end());
    return lines;
}

// Lines only in `before` and only in `after`, once the common lines at both
// ends are set aside.
void Difference(const std::vector<Line>& before, const std::vector<Line>& after, size_t* removed, size_t* added) {
    size_t front = 0;
    while (front < before.size() && front < after.size() && before[front] == after[front])
        ++front;
    size_t back = 0;
    while (back < before.size() - front && back < after.size() - front &&
           before[before.size() - 1 - back] == after[after.size() - 1 - back])
        ++back;
    *removed = before.size() - front - back;
    *added = after.size() - front - back;
}

// A name of the document itself when the pick lands on one, so that edits
// hit existing sections and keys; otherwise a fresh one.
WString Pick(const std::vector<WString>& names, uint8_t pick, const char16_t* fresh) {
    if (pick < names.size())
        return names[pick];
    return WString(fresh) + static_cast<WCHAR>('a' + pick % 26);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kPrefixBytes || size > fuzzing::kMaxInputBytes)
        return 0;
    const std::vector<uint8_t> file(data + kPrefixBytes, data + size);
    ProfileDocument document = ProfileDocument::Parse(file);
    FUZZ_REQUIRE(document.Serialize() == file);

    const WString section = Pick(document.SectionNames(), data[1], u"Section ");
    std::vector<WString> keys;
    document.KeyNames(section, &keys);
    const WString key = Pick(keys, data[2], u"Key ");
    const WString value = WString(u"value ") + static_cast<WCHAR>('0' + data[3] % 10);
    const int operation = data[0] % 3;
    bool changed = false;
    if (operation == 0)
        changed = document.SetValue(section, key, value);
    else if (operation == 1)
        changed = document.DeleteKey(section, key);
    else
        changed = document.DeleteSection(section);

    const std::vector<uint8_t> written = document.Serialize();
    if (!changed) {
        FUZZ_REQUIRE(written == file);
        return 0;
    }
    const ProfileDocument reread = ProfileDocument::Parse(written);
    WString found;
    if (operation == 0) {
        FUZZ_REQUIRE(reread.FindValue(section, key, &found) && found == value);
    }
    // An odd byte at the end of a UTF-16 file ends no character; a line added
    // behind it rewrites the line that holds it.
    if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFE && file.size() % 2 != 0)
        return 0;
    size_t removed = 0, added = 0;
    Difference(SplitLines(file), SplitLines(written), &removed, &added);
    // A set replaces one line or adds a key, with its section when that is new;
    // a key's deletion takes one line. A section's deletion may take many.
    if (operation == 0)
        FUZZ_REQUIRE(removed <= 1 && added <= 2);
    else if (operation == 1)
        FUZZ_REQUIRE(removed == 1 && added == 0);
    else
        FUZZ_REQUIRE(added == 0);
    return 0;
}
