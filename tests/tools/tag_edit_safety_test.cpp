// SPDX-License-Identifier: BSD-3-Clause
// `zemtool tag` never loses a field nor a byte of the audio: a ZEM tag in
// front of an ID3v1 record is kept, a damaged tag is refused, and a write that
// fails on a full disk puts the old tag back.
#include "tests/support/test_files.h"
#include "tests/support/zem_fixture.h"
#include "tests/tools/zemtool_harness.h"
#include "tools/zemtool/zemtool.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifndef _WIN32
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace tool_tests {
namespace {

using testing_support::Bytes;
using testing_support::BytesOf;
using testing_support::Concat;
using testing_support::TempDir;
namespace fs = std::filesystem;

fs::path ReproFile(const std::string& name) {
    for (fs::path folder : {fs::path(ZEM_SOURCE_DIR) / ".." / "shared" / "repro", fs::path("/work/shared/repro")}) {
        if (fs::exists(folder / name))
            return folder / name;
    }
    return fs::path();
}

Bytes Head(const Bytes& bytes, size_t count) { return Bytes(bytes.begin(), bytes.begin() + static_cast<long>(count)); }

class TagEditSafetyTest : public ::testing::Test {
protected:
    // A writable copy of a shared input; the tests change it.
    std::string CopyOfRepro(const std::string& name) {
        const fs::path source = ReproFile(name);
        if (source.empty())
            return {};
        m_original = testing_support::ReadFileBytes(source);
        return WriteIn(m_dir, name, m_original);
    }
    Bytes FileBytes(const std::string& name) const { return testing_support::ReadFileBytes(m_dir.File(name)); }

    TempDir m_dir;
    Bytes m_original;
};

TEST_F(TagEditSafetyTest, ZemTagInFrontOfId3v1KeepsEveryField) {
    const std::string path = CopyOfRepro("tag-before-id3v1.zem");
    if (path.empty())
        GTEST_SKIP() << "shared repro folder not found";
    const RunResult result = RunTool({"tag", path, "--set", "Year=1999"});
    ASSERT_EQ(result.exitCode, ZEMTOOL_OK) << result.err;
    const RunResult listed = RunTool({"tag", path});
    EXPECT_EQ(listed.out,
              "Year=1999\nComposer=Bach\nArtist=Someone\nCover Art (front)=xyz\n"
              "Title=A very long title that does not fit into thirty one chars\n"
              "[ID3v1]\nArtist=Artist\nTitle=Short\nYear=1999\nTrack=0\nGenre=Blues\n");
    // The 4,000 bytes in front of the ZEM tag are untouched.
    EXPECT_EQ(Head(FileBytes("tag-before-id3v1.zem"), 4000), Head(m_original, 4000));
}

TEST_F(TagEditSafetyTest, DamagedTagIsRefusedAndTheAudioKept) {
    const std::string path = CopyOfRepro("tag-damaged-byte.zem");
    if (path.empty())
        GTEST_SKIP() << "shared repro folder not found";
    for (const std::vector<std::string>& edit :
         {std::vector<std::string>{"--set", "Genre=Rock"}, std::vector<std::string>{"--remove"}}) {
        std::vector<std::string> args = {"tag", path};
        args.insert(args.end(), edit.begin(), edit.end());
        const RunResult result = RunTool(args);
        EXPECT_EQ(result.exitCode, ZEMTOOL_FAILED);
        EXPECT_EQ(result.err, "zemtool: CODEC_BAD_INPUT: the tag of '" + path +
                                  "' cannot be rewritten safely: its ZEM tag claims 65343 bytes, but only 63 lie "
                                  "behind the audio; '" + path + "' is unchanged\n");
        EXPECT_EQ(FileBytes("tag-damaged-byte.zem"), m_original);
    }
}

TEST_F(TagEditSafetyTest, EditsThatLeaveTheRecordAloneKeepItsBytes) {
    const Bytes audio = testing_support::BuildZemBytes(testing_support::CurrentZemFixture());
    Id3v1Fields id3;
    id3.title = "Short";
    id3.comment = "  padded with spaces  ";
    const Bytes record = Id3v1Bytes(id3);
    const std::string path = WriteIn(m_dir, "s.zem", Concat(Concat(audio, RawZemTag({{"Title", BytesOf("Long")},
                                                                                     {"Composer", BytesOf("Bach")}})),
                                                            record));
    ASSERT_EQ(RunTool({"tag", path, "--set", "Composer=Mozart", "--delete", "composer", "--set", "Mood=calm"}).exitCode,
              ZEMTOOL_OK);
    EXPECT_EQ(FileBytes("s.zem"), Concat(Concat(audio, RawZemTag({{"Mood", BytesOf("calm")}, {"Title", BytesOf("Long")}})),
                                         record));
    // A field neither tag holds cannot be deleted; one that only the record holds can.
    EXPECT_EQ(RunTool({"tag", path, "--delete", "Album"}).exitCode, ZEMTOOL_FAILED);
    ASSERT_EQ(RunTool({"tag", path, "--delete", "Comment"}).exitCode, ZEMTOOL_OK);
    EXPECT_EQ(RunTool({"tag", path}).out, "Mood=calm\nTitle=Long\n[ID3v1]\nTitle=Short\nTrack=0\nGenre=Undefined\n");
}

#ifndef _WIN32
// A small file system that a test fills up; needs root, skipped otherwise.
class FullDisk {
public:
    explicit FullDisk(const fs::path& folder) : m_folder(folder) {
        fs::create_directory(folder);
        m_mounted = geteuid() == 0 && mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=2m") == 0;
    }
    ~FullDisk() {
        if (m_mounted)
            umount2(m_folder.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }
    // Writes a file as large as the space left allows.
    void Fill() const {
        const Bytes block(4096, 0);
        for (int i = 0; i < 1024; ++i) {
            const fs::path filler = m_folder / ("filler" + std::to_string(i));
            FILE* file = std::fopen(filler.c_str(), "wb");
            if (!file)
                return;
            const size_t written = std::fwrite(block.data(), 1, block.size(), file);
            const bool closed = std::fclose(file) == 0;
            if (written != block.size() || !closed)
                return;
        }
    }

private:
    fs::path m_folder;
    bool m_mounted = false;
};

TEST_F(TagEditSafetyTest, WriteOnAFullDiskPutsTheOldTagBack) {
    FullDisk disk(m_dir.File("full"));
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a small file system needs root";
    const Bytes audio = testing_support::BuildZemBytes(testing_support::CurrentZemFixture());
    const std::string path = WriteIn(m_dir, "full/s.zem",
                                     Concat(audio, RawZemTag({{"Artist", BytesOf("A")}, {"Title", BytesOf("T")}})));
    const Bytes before = FileBytes("full/s.zem");
    disk.Fill();
    const RunResult result = RunTool({"tag", path, "--set", "Comment=" + std::string(100000, 'c')});
    EXPECT_EQ(result.exitCode, ZEMTOOL_FAILED);
    EXPECT_EQ(result.err, "zemtool: CODEC_WRITE_FAILED: cannot write the tag to '" + path +
                              "' (is the disk full?); '" + path + "' is unchanged\n");
    EXPECT_EQ(FileBytes("full/s.zem"), before);
}
#endif

}  // namespace
}  // namespace tool_tests
