#include "capture/drives.h"
#include "testutil.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

namespace fs = std::filesystem;

// A made-up machine: mount table, sysfs block folders and label links in a temporary folder.
struct FakeMachine {
    test::TempDir root;
    DriveSourcePaths paths;

    FakeMachine() {
        paths.mountInfo = root / "mountinfo";
        paths.sysClassBlock = root / "sys/class/block";
        paths.byLabel = root / "dev/disk/by-label";
        paths.dev = root / "dev";
        fs::create_directories(paths.sysClassBlock);
        fs::create_directories(paths.byLabel);
    }

    // A block device whose sysfs folder lives at devicePath (relative to sys/devices).
    void blockDevice(const std::string& name, const std::string& devicePath,
                     const char* removable) {
        const fs::path dir = root / "sys/devices" / devicePath;
        fs::create_directories(dir);
        if (removable) test::writeFile(dir / "removable", std::string(removable) + "\n");
        fs::create_directory_symlink(dir, paths.sysClassBlock / name);
    }
    void partition(const std::string& name, const std::string& diskPath) {
        const fs::path dir = root / "sys/devices" / diskPath / name;
        fs::create_directories(dir);
        test::writeFile(dir / "partition", "1\n");
        fs::create_directory_symlink(dir, paths.sysClassBlock / name);
    }
    void label(const std::string& escapedName, const std::string& device) {
        fs::create_symlink("../../" + device, paths.byLabel / escapedName);
    }
};

std::string mountLine(int id, const std::string& point, const std::string& type,
                      const std::string& source) {
    return std::to_string(id) + " 1 8:1 / " + point + " rw,relatime shared:1 - " + type + " " +
           source + " rw\n";
}

const DriveInfo* byMount(const std::vector<DriveInfo>& drives, const std::string& point) {
    for (const auto& d : drives)
        if (d.mountPoint == point) return &d;
    return nullptr;
}

TEST(Drives, KindsLabelsAndPseudoFileSystems) {
    FakeMachine m;
    m.blockDevice("sda", "pci0000:00/ata1/block/sda", "0");
    m.partition("sda1", "pci0000:00/ata1/block/sda");
    m.partition("sda2", "pci0000:00/ata1/block/sda");
    m.blockDevice("sdb", "pci0000:00/usb1/1-1/host2/block/sdb", "0"); // USB disk, flag 0
    m.partition("sdb1", "pci0000:00/usb1/1-1/host2/block/sdb");
    m.blockDevice("mmcblk0", "platform/mmc0/block/mmcblk0", "1"); // card reader
    m.partition("mmcblk0p1", "platform/mmc0/block/mmcblk0");
    m.blockDevice("sr0", "pci0000:00/ata2/block/sr0", "1");
    m.blockDevice("dm-0", "virtual/block/dm-0", "0");
    fs::create_directories(m.paths.dev / "mapper");
    fs::create_symlink("../dm-0", m.paths.dev / "mapper/vg-home");
    m.label("My\\x20Disk", "sdb1");
    m.label("HOME", "dm-0");

    std::string table;
    table += mountLine(20, "/", "ext4", "/dev/sda1");
    table += mountLine(21, "/proc", "proc", "proc");
    table += mountLine(22, "/sys", "sysfs", "sysfs");
    table += mountLine(23, "/dev/shm", "tmpfs", "/dev/shm"); // tmpfs even with a /dev source
    table += mountLine(24, "/snap/core/1", "squashfs", "/dev/loop3");
    table += mountLine(25, "/home/u/remote", "fuse.sshfs", "u@host:");
    table += mountLine(26, "/var/lib/docker/overlay2/x/merged", "overlay", "overlay");
    table += mountLine(27, "/media/u/My\\040Disk", "vfat", "/dev/sdb1");
    table += mountLine(28, "/media/u/card", "exfat", "/dev/mmcblk0p1");
    table += mountLine(29, "/media/u/DVD", "iso9660", "/dev/sr0");
    table += mountLine(30, "/home", "ext4", "/dev/mapper/vg-home");
    table += mountLine(31, "/mnt/win", "fuseblk", "/dev/sda2");
    table += "garbage line\n";
    test::writeFile(m.paths.mountInfo, table);

    const auto drives = listDrives(m.paths);
    ASSERT_EQ(drives.size(), 6u);
    EXPECT_EQ(drives[0].mountPoint, "/"); // mount-table order

    EXPECT_EQ(byMount(drives, "/")->kind, DriveKind::HardDisk);
    EXPECT_EQ(byMount(drives, "/")->label, "/");
    EXPECT_EQ(driveCaption(*byMount(drives, "/")), " (/) HDドライブ");

    const DriveInfo* usb = byMount(drives, "/media/u/My Disk");
    ASSERT_NE(usb, nullptr);
    EXPECT_EQ(usb->kind, DriveKind::Removable);
    EXPECT_EQ(usb->label, "My Disk");
    EXPECT_EQ(driveCaption(*usb), " (My Disk) リムーバブル");
    EXPECT_EQ(driveImageIndex(usb->kind), 5);

    // A partition takes its disk's removable flag.
    EXPECT_EQ(byMount(drives, "/media/u/card")->kind, DriveKind::Removable);
    EXPECT_EQ(byMount(drives, "/media/u/card")->label, "card");

    const DriveInfo* dvd = byMount(drives, "/media/u/DVD");
    EXPECT_EQ(dvd->kind, DriveKind::Cd);
    EXPECT_EQ(driveCaption(*dvd), " (DVD) CDドライブ");
    EXPECT_EQ(driveImageIndex(dvd->kind), 3);

    // Device-mapper names resolve through /dev/mapper to find the label.
    EXPECT_EQ(byMount(drives, "/home")->label, "HOME");
    EXPECT_EQ(byMount(drives, "/home")->kind, DriveKind::HardDisk);
    EXPECT_EQ(driveImageIndex(DriveKind::HardDisk), 4);

    EXPECT_EQ(byMount(drives, "/mnt/win")->kind, DriveKind::HardDisk);
}

TEST(Drives, CdByFileSystemAndMountedOverPointsListedOnce) {
    FakeMachine m;
    std::string table;
    table += mountLine(20, "/mnt/a", "udf", "/dev/sdc"); // udf on a plain disk name: CD
    table += mountLine(21, "/mnt/b", "ext4", "/dev/sdd");
    table += mountLine(22, "/mnt/b", "ext4", "/dev/sde"); // mounted over: the visible one counts
    table += mountLine(23, "/mnt/c", "ext4", "/dev/sdf");
    table += mountLine(24, "/mnt/c", "tmpfs", "tmpfs"); // a disk hidden under a tmpfs
    test::writeFile(m.paths.mountInfo, table);

    const auto drives = listDrives(m.paths);
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].kind, DriveKind::Cd);
    EXPECT_EQ(drives[1].mountPoint, "/mnt/b");
    EXPECT_EQ(drives[1].device, "/dev/sde");
    EXPECT_EQ(drives[1].kind, DriveKind::HardDisk); // no sysfs entry: not removable
}

TEST(Drives, MissingMountTableGivesNoDrives) {
    DriveSourcePaths paths;
    paths.mountInfo = "/nonexistent/mountinfo";
    EXPECT_TRUE(listDrives(paths).empty());
}

TEST(Drives, Escapes) {
    EXPECT_EQ(unescapeMountField("/media/a\\040b\\011c\\134d"), "/media/a b\tc\\d");
    EXPECT_EQ(unescapeMountField("end\\04"), "end\\04"); // cut short: kept as it is
    EXPECT_EQ(unescapeMountField("\\999"), "\\999");
    EXPECT_EQ(decodeLabelName("My\\x20Disk\\x2fX"), "My Disk/X");
    EXPECT_EQ(decodeLabelName("\\xZZ\\x2"), "\\xZZ\\x2");
    EXPECT_EQ(decodeLabelName("\\xe3\\x83\\x87"), "デ");

    const auto entries = parseMountInfo(
        "36 35 98:0 /mnt1 /mnt/with\\040blank rw,noatime master:1 shared:2 - ext3 /dev/root rw\n"
        "37 35 98:0 / /short rw -\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mountPoint, "/mnt/with blank");
    EXPECT_EQ(entries[0].fsType, "ext3");
    EXPECT_EQ(entries[0].source, "/dev/root");

    EXPECT_TRUE(isPseudoFileSystem("fuse.sshfs"));
    EXPECT_FALSE(isPseudoFileSystem("fuseblk"));
    EXPECT_TRUE(isPseudoFileSystem("cgroup2"));
    EXPECT_FALSE(isPseudoFileSystem("btrfs"));
}

} // namespace
} // namespace zt

namespace zt {
namespace {

// Optical drives with a disc (size above zero) that no mount names are
// listed by their device; empty drives and mounted discs are not.
TEST(Drives, UnmountedDiscsAreListedByTheirDevice) {
    FakeMachine m;
    for (const auto& [name, size] : {std::pair{"sr0", "1400000"}, {"sr1", "0"}, {"sr2", "2000"},
                                     {"sda", "99999"}}) {
        m.blockDevice(name, std::string("pci/") + name, nullptr);
        test::writeFile(m.paths.sysClassBlock / name / "size", std::string(size) + "\n");
    }
    m.label("MY\\x20DISC", "sr0");
    test::writeFile(m.paths.mountInfo, mountLine(20, "/media/cd", "iso9660", "/dev/sr2"));
    const auto discs = listUnmountedDiscs(m.paths);
    ASSERT_EQ(discs.size(), size_t(1));
    EXPECT_EQ(discs[0].mountPoint, (m.paths.dev / "sr0").string());
    EXPECT_EQ(discs[0].label, "MY DISC");
    EXPECT_FALSE(discs[0].mounted);
    EXPECT_EQ(driveCaption(discs[0]), " (MY DISC) CDドライブ (未マウント)");
}

} // namespace
} // namespace zt
