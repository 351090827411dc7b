#include "platform/removable_drives.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace platform {
namespace {

namespace fs = std::filesystem;

bool ReadsOne(const fs::path& flagFile) {
    std::ifstream in(flagFile);
    char flag = 0;
    return in.get(flag) && flag == '1';
}

// The removable flag of a block device node: a disk has it in its own folder, a partition
// in its disk's folder (sdb1 lies in /sys/block/sdb/sdb1).
bool RemovableDevice(const std::string& device, const TDriveSources& sources) {
    std::error_code error;
    if (!device.starts_with(sources.DevDir + "/")) return false;
    fs::path node = device;
    // Links such as /dev/disk/by-label/CARD lead to the node whose name the kernel uses.
    const fs::path resolved = fs::canonical(node, error);
    if (!error) node = resolved;
    const std::string name = node.filename().string();
    if (name.empty()) return false;
    if (ReadsOne(fs::path(sources.SysBlock) / name / "removable")) return true;
    for (fs::directory_iterator disk(sources.SysBlock, error), end; !error && disk != end; disk.increment(error))
        if (fs::is_directory(disk->path() / name, error)) return ReadsOne(disk->path() / "removable");
    return false;
}

bool UnderMediaFolder(const std::string& mountPoint, const TDriveSources& sources) {
    return std::any_of(sources.MediaFolders.begin(), sources.MediaFolders.end(), [&](const std::string& folder) {
        return mountPoint.size() > folder.size() + 1 && mountPoint.starts_with(folder + "/");
    });
}

std::vector<std::string> EnvironmentRoots() {
    std::vector<std::string> roots;
    const char* listed = std::getenv("OMBRIX_CARD_ROOTS");
    if (!listed) return roots;
    std::istringstream in(listed);
    for (std::string root; std::getline(in, root, ':');)
        if (!root.empty()) roots.push_back(root);
    return roots;
}

}  // namespace

std::string DecodeMountField(const std::string& field) {
    std::string text;
    for (size_t i = 0; i < field.size(); ++i) {
        const auto octal = [&](size_t at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

std::vector<std::string> RemovableDrives(const TDriveSources& sources) {
    std::vector<std::string> roots;
    const auto add = [&](const std::string& root) {
        if (std::find(roots.begin(), roots.end(), root) == roots.end()) roots.push_back(root);
    };
    std::ifstream mounts(sources.Mounts);
    for (std::string line; std::getline(mounts, line);) {
        std::istringstream fields(line);
        std::string device, mountPoint;
        if (!(fields >> device >> mountPoint)) continue;
        mountPoint = DecodeMountField(mountPoint);
        if (UnderMediaFolder(mountPoint, sources) || RemovableDevice(DecodeMountField(device), sources))
            add(mountPoint);
    }
    std::error_code error;
    for (const std::string& root : sources.ExtraRoots.empty() ? EnvironmentRoots() : sources.ExtraRoots)
        if (fs::is_directory(root, error)) add(root);
    return roots;
}

}  // namespace platform
