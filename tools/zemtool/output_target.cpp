#include "tools/zemtool/output_target.h"

#include "tessarine/codec/link_file.h"
#include "tools/zemtool/file_names.h"
#include "tools/zemtool/native_file.h"
#include "tools/zemtool/tool_failure.h"

namespace zemtool {

std::string RefuseInputAsOutput(const std::string& source, const std::string& target) {
    if (source == "-" || target == "-")
        return {};
    if (SameFile(source, target))
        return "the output " + Quoted(target) + " is the input file";
    if (LowerExtension(source) != ".zlk")
        return {};
    CLinkFile link;
    link.ReadLinkFile(LibraryPath(source).c_str());
    const std::string image = SystemPath(link.GetImagePath());
    if (link.IsValid() && SameFile(image, target))
        return "the output " + Quoted(target) + " is the image that " + Quoted(source) + " names";
    return {};
}

}  // namespace zemtool
