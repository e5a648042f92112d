// SPDX-License-Identifier: BSD-3-Clause
#include "tools/zemtool/output_target.h"

#include "tools/zemtool/file_names.h"
#include "tools/zemtool/link_image.h"
#include "tools/zemtool/native_file.h"
#include "tools/zemtool/tool_failure.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zemtool {

std::string RefuseInputAsOutput(const std::string& source, const std::string& target) {
    if (source == "-" || target == "-")
        return {};
    if (SameFile(source, target))
        return "the output " + Quoted(target) + " is the input file";
    if (!IsLinkPath(source))
        return {};
    const std::string image = LinkImage(source);
    // A network path is not looked at here: opening it refuses it, or the user allowed it.
    if (!image.empty() && !IsRemotePath(image) && SameFile(image, target))
        return "the output " + Quoted(target) + " is the image that " + Quoted(source) + " names";
    return {};
}

std::string WhyCannotCreate(const std::string& path) {
#ifdef _WIN32
    // Names reach the system as they are, without the long-name prefix.
    const size_t characters = SystemPath(path).native().size();
    if (characters >= MAX_PATH)
        return "the name is " + std::to_string(characters) + " characters long; at most " +
               std::to_string(MAX_PATH - 1) + " can be used";
#endif
    std::string why;
    NativeFile probe;
    switch (probe.CreateNew(path, &why)) {
    case CreateResult::Failed:
        return why;
    case CreateResult::Created:
        probe.Close(&why);
        RemoveFile(path);
        return "it could not be created then, but can be now";
    case CreateResult::NameTaken:
        break;
    }
    if (KindOfPath(path, &why) == PathKind::Folder)
        return "a folder has that name";
    NativeFile existing;
    if (!existing.OpenForWriting(path, &why))
        return why;
    return "the file is read-only or in use";
}

}  // namespace zemtool
