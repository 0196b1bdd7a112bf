// Places from mount tables: home, the root, and only the mounts a user keeps files on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/mounts.h"

namespace {

const std::string FIXTURES = BRENVIK_TEST_DATA_DIR "/mounts/";

std::vector<MountEntry> read_fixture(const std::string& name) {
  std::vector<MountEntry> entries;
  EXPECT_TRUE(read_mount_table(FIXTURES + name, &entries)) << name;
  return entries;
}

TEST(Mounts, TheTableIsReadWithItsEscapesDecoded) {
  const std::vector<MountEntry> entries = read_fixture("desktop.mounts");
  ASSERT_EQ(entries.size(), 18u);
  EXPECT_EQ(entries[0].device, "sysfs");
  EXPECT_EQ(entries[0].folder, "/sys");
  EXPECT_EQ(entries[0].type, "sysfs");
  EXPECT_EQ(entries[13].device, "/dev/sdb1");
  EXPECT_EQ(entries[13].folder, "/media/ann/USB STICK");
}

TEST(Mounts, AMissingTableIsReportedAndGivesNoEntries) {
  std::vector<MountEntry> entries = {{"x", "/x", "ext4"}};
  EXPECT_FALSE(read_mount_table(FIXTURES + "absent.mounts", &entries));
  EXPECT_TRUE(entries.empty());
}

TEST(Mounts, ADesktopOffersHomeRootMediaDiscsAndShares) {
  const std::vector<Place> places = places_from_mounts(read_fixture("desktop.mounts"),
                                                       "/home/ann");
  struct Expected {
    PlaceKind kind;
    const char* label;
    const char* folder;
  };
  const Expected expected[] = {
      {PLACE_HOME, "Home", "/home/ann/"},
      {PLACE_ROOT, "/", "/"},
      {PLACE_REMOVABLE, "USB STICK", "/media/ann/USB STICK/"},  // listed twice, offered once
      {PLACE_DISC, "PLATES_2024", "/media/ann/PLATES_2024/"},
      {PLACE_NETWORK, "jobs", "/net/jobs/"},
      {PLACE_NETWORK, "shop", "/mnt/shop/"},
  };
  ASSERT_EQ(places.size(), std::size(expected));
  for (size_t i = 0; i < places.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(places[i].kind, expected[i].kind);
    EXPECT_EQ(places[i].label, expected[i].label);
    EXPECT_EQ(places[i].folder, expected[i].folder);
  }
}

TEST(Mounts, AContainerWithOnlyKernelFileSystemsOffersRootAlone) {
  const std::vector<Place> places = places_from_mounts(read_fixture("server.mounts"), "");
  ASSERT_EQ(places.size(), 1u);
  EXPECT_EQ(places[0].kind, PLACE_ROOT);
  EXPECT_EQ(places[0].folder, "/");
}

TEST(Mounts, KernelAndSystemMountsAreNeverPlaces) {
  struct Case {
    MountEntry entry;
    bool offered;
  };
  const Case cases[] = {
      {{"proc", "/proc", "proc"}, false},
      {{"tmpfs", "/media/ann/ram", "tmpfs"}, false},  // a tmpfs stays out even under /media
      {{"/dev/sda1", "/boot", "ext4"}, false},
      {{"/dev/sda3", "/home", "ext4"}, false},
      {{"/dev/sdc1", "/mnt/backup", "ext4"}, true},
      {{"/dev/sdc1", "/media", "ext4"}, false},       // the media folder itself
      {{"/dev/sr1", "/srv/disc", "udf"}, true},
      {{"host:/x", "/srv/x", "nfs"}, true},
      {{"ann@host:", "/home/ann/remote", "fuse.sshfs"}, true},
      {{"weird", "relative/path", "nfs"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry.folder + " " + c.entry.type);
    PlaceKind kind;
    EXPECT_EQ(classify_mount(c.entry, &kind), c.offered);
  }
}

TEST(Mounts, TheRunningSystemAlwaysOffersTheRoot) {
  const std::vector<Place> places = system_places();
  bool root = false;
  for (const Place& place : places) root = root || place.folder == "/";
  EXPECT_TRUE(root);
}

}  // namespace
