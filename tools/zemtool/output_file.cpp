// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/output_file.h"

#include "tools/zemtool/interrupt_cleanup.h"
#include "tools/zemtool/tool_failure.h"

#include <cstdio>
#include <random>

namespace zemtool {
namespace {

constexpr int kNameTries = 100;

// The folder part of `path`, with its separator ("" for the current folder).
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string UniqueMark(std::mt19937& random) {
    char mark[16];
    std::snprintf(mark, sizeof mark, "%08x", static_cast<unsigned>(random()));
    return mark;
}

}  // namespace

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Begin(const std::string& target, std::string* message) {
    m_target = target;
    std::string why;
    switch (KindOfPath(target, &why)) {
    case PathKind::Folder:
        *message = Quoted(target) + " is a folder";
        return false;
    case PathKind::Other:
        if (m_file.OpenForWriting(target, &why))
            return true;
        *message = "cannot open " + Quoted(target) + " for writing: " + why;
        return false;
    default:
        return CreateTemporary(message);
    }
}

// "TARGET.xxxxxxxx.partial" beside the target, or a short name in the same
// folder when the target's name leaves no room for the longer one.
bool OutputFile::CreateTemporary(std::string* message) {
    std::mt19937 random(std::random_device{}());
    std::string why = "no free temporary name";
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const std::string mark = UniqueMark(random);
        std::string name = m_target + "." + mark + ".partial";
        // An interrupt between creating the file and arming its removal
        // would leave it behind: it waits until both are done.
        InterruptsHeld held;
        CreateResult result = m_file.CreateNew(name, &why);
        if (result == CreateResult::Failed) {
            std::string shortWhy;
            name = FolderOf(m_target) + ".zemtool-" + mark + ".partial";
            result = m_file.CreateNew(name, &shortWhy);
        }
        if (result == CreateResult::Created) {
            m_temporary = name;
            RemoveOnInterrupt(name);
            return true;
        }
        if (result == CreateResult::Failed)
            break;
    }
    *message = "cannot create " + Quoted(m_target) + ": " + why;
    return false;
}

bool OutputFile::Commit(std::string* message) {
    std::string why;
    if (!m_file.Close(&why)) {
        *message = "cannot write " + Quoted(m_target) + ": " + why;
        Discard();
        return false;
    }
    if (m_temporary.empty())
        return true;
    InterruptsHeld held;
    if (!RenameOver(m_temporary, m_target, &why)) {
        *message = "cannot put " + Quoted(m_target) + " in place: " + why;
        Discard();
        return false;
    }
    KeepOnInterrupt();
    m_temporary.clear();
    return true;
}

void OutputFile::Discard() {
    std::string ignored;
    m_file.Close(&ignored);
    if (m_temporary.empty())
        return;
    InterruptsHeld held;
    RemoveFile(m_temporary);
    KeepOnInterrupt();
    m_temporary.clear();
}

bool OutputFile::WriteAll(const void* bytes, size_t count) {
    std::string why;
    if (!m_file.Write(bytes, count, &why)) {
        m_failure = "cannot write " + Quoted(m_target) + ": " + why;
        return false;
    }
    m_position += static_cast<int64_t>(count);
    if (m_position > m_size)
        m_size = m_position;
    return true;
}

bool OutputFile::SeekTo(int64_t position) {
    std::string why;
    if (position < 0 || !m_file.SeekTo(position, &why)) {
        m_failure = "cannot write " + Quoted(m_target) + ": " + (why.empty() ? "seek before the start" : why);
        return false;
    }
    m_position = position;
    return true;
}

}  // namespace zemtool
