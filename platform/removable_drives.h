#pragma once

#include <string>
#include <vector>

namespace platform {

// Where the mounted drives of this machine are read from; tests point these at files and
// folders of their own.
struct TDriveSources {
    std::string Mounts = "/proc/self/mounts";
    std::string SysBlock = "/sys/block";
    std::string DevDir = "/dev";
    // Mount points below these folders are media the desktop mounted for the user.
    std::vector<std::string> MediaFolders = {"/media", "/run/media"};
    // Extra roots searched as if they were removable drives: a card copied to a folder, or
    // the instrument stand-in's card. Empty: the folders listed in $OMBRIX_CARD_ROOTS
    // (separated by ':').
    std::vector<std::string> ExtraRoots;
};

// The roots of the removable drives, in the order of the mount table: the mount points of
// removable block devices (a partition counts by its disk's removable flag) and of media
// mounts, each once, then the extra roots that are folders.
std::vector<std::string> RemovableDrives(const TDriveSources& sources = {});

// A mount point as /proc/self/mounts writes it, with its octal escapes (\040 for a space)
// decoded.
std::string DecodeMountField(const std::string& field);

}  // namespace platform
