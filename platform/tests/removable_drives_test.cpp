// The removable drives, read from a mount table and a block-device folder of the test's own.
#include "platform/removable_drives.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/testing/test_files.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

class RemovableDrivesTest : public ::testing::Test {
protected:
    void SetUp() override {
        Sources.Mounts = Temp / "mounts";
        Sources.SysBlock = Temp / "sys/block";
        Sources.DevDir = Temp / "dev";
        Sources.MediaFolders = {Temp / "media"};
        fs::create_directories(Temp / "dev");
        // sda: a fixed disk; sdb: a card reader with one partition; mmcblk0: a card slot.
        Disk("sda", '0', {"sda1"});
        Disk("sdb", '1', {"sdb1"});
        Disk("mmcblk0", '1', {"mmcblk0p1"});
    }
    void Disk(const std::string& name, char removable, const std::vector<std::string>& partitions) {
        const fs::path folder = fs::path(Sources.SysBlock) / name;
        fs::create_directories(folder);
        std::ofstream(folder / "removable") << removable << '\n';
        for (const std::string& partition : partitions) fs::create_directories(folder / partition);
    }
    void MountTable(const std::string& text) { std::ofstream(Sources.Mounts) << text; }
    std::string Dev(const std::string& name) const { return Temp / ("dev/" + name); }

    testing::TTempDir Temp;
    TDriveSources Sources;
};

TEST_F(RemovableDrivesTest, RemovableDisksPartitionsAndMediaMountsCountOnce) {
    const std::string media = Temp / "media/user/CARD 2";
    MountTable("proc /proc proc rw 0 0\n" + Dev("sda1") + " / ext4 rw 0 0\n" + Dev("sdb1") +
               " /mnt/card vfat rw 0 0\n" + Dev("mmcblk0") + " /mnt/slot vfat rw 0 0\n" + Dev("sda1") + " " +
               Temp / "media/user/CARD\\0402" + " vfat rw 0 0\n" + Dev("sdb1") +
               " /mnt/card vfat rw 0 0\n"
               "tmpfs " +
               Temp / "media" + " tmpfs rw 0 0\n" + "/dev/sdb1 /elsewhere vfat rw 0 0\n");
    EXPECT_EQ(RemovableDrives(Sources), (std::vector<std::string>{"/mnt/card", "/mnt/slot", media}));
}

TEST_F(RemovableDrivesTest, LinksToNodesAreFollowed) {
    fs::create_directories(Temp / "dev/disk/by-label");
    std::ofstream(Dev("sdb1")).put('\0');
    fs::create_symlink(Dev("sdb1"), Temp / "dev/disk/by-label/CARD");
    MountTable(Dev("disk/by-label/CARD") + " /mnt/label vfat rw 0 0\n");
    EXPECT_EQ(RemovableDrives(Sources), std::vector<std::string>{"/mnt/label"});
}

TEST_F(RemovableDrivesTest, ExtraRootsFollowWhenTheyAreFolders) {
    MountTable("");
    fs::create_directories(Temp / "card");
    Sources.ExtraRoots = {Temp / "card", Temp / "missing"};
    EXPECT_EQ(RemovableDrives(Sources), std::vector<std::string>{Temp / "card"});
    Sources.Mounts = Temp / "no-such-table";
    EXPECT_EQ(RemovableDrives(Sources), std::vector<std::string>{Temp / "card"});
}

TEST_F(RemovableDrivesTest, HostileMountLinesAreSkipped) {
    MountTable("\n   \nonlyonefield\n" + Dev("sdb1") + " /x\\0 vfat\n" + Dev("sdb1") + " /y\\777z vfat\n" +
               std::string(100000, 'a') + " b\n");
    const std::vector<std::string> roots = RemovableDrives(Sources);
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(roots[0], "/x\\0");
    EXPECT_EQ(roots[1].size(), 4u);
}

TEST(DecodeMountField, OctalEscapes) {
    EXPECT_EQ(DecodeMountField("/media/a\\040b"), "/media/a b");
    EXPECT_EQ(DecodeMountField("tab\\011x\\134"), "tab\tx\\");
    EXPECT_EQ(DecodeMountField("\\134\\134"), "\\\\");
}

}  // namespace
}  // namespace platform
