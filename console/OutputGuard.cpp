#include "OutputGuard.hpp"

#include "files/FileIdentity.hpp"

namespace Vantorn {

bool outputIsACard(const std::filesystem::path& output, const std::vector<std::string>& arguments, CardWalk walk) {
    const std::optional<FileIdentity> outputFile = fileIdentity(output);
    if (!outputFile) return false;  // a file not there yet is no card
    bool found = false;
    walk.card = [&](const std::string& path) {
        if (!found) found = fileIdentity(nativePath(path, walk.pathsAreUtf8)) == outputFile;
    };
    walk.unreadableFolder = [](const std::string&) {};
    walk.folderListed = [] {};
    walkCardPaths(arguments, walk);
    return found;
}

}  // namespace Vantorn
