// The places a file browser offers beside the folder it shows: the home folder, the root, and
// the mounted file systems a user keeps files on (removable media, discs, network shares), read
// from the mount table. The kernel's own file systems (proc, sysfs, tmpfs, cgroups...) are never
// places.
#pragma once

#include <string>
#include <vector>

// One line of a mount table.
struct MountEntry {
  std::string device;  // what is mounted: "/dev/sdb1", "server:/export", "proc"
  std::string folder;  // where, with the table's octal escapes ("\040" for a blank) decoded
  std::string type;    // file system type: "ext4", "nfs4", "fuse.sshfs"
};

// What a place is, for its label.
enum PlaceKind {
  PLACE_HOME,
  PLACE_ROOT,
  PLACE_REMOVABLE,  // a device mounted under /media, /run/media or /mnt
  PLACE_DISC,       // an optical disc's file system
  PLACE_NETWORK,    // a network share
};

struct Place {
  PlaceKind kind = PLACE_ROOT;
  std::string label;   // shown in the list: "Home", "/", or the mount folder's last part
  std::string folder;  // ends with '/'
};

// Reading
// The entries of a mount table in fstab format (setmntent/getmntent). False when the table
// cannot be opened.
bool read_mount_table(const std::string& path, std::vector<MountEntry>* entries);
// The running system's table: /proc/self/mounts.
constexpr char MOUNT_TABLE_PATH[] = "/proc/self/mounts";

// Choosing
// The kind a mount would be as a place; false for the kernel's own file systems and for every
// mount that is neither removable, a disc nor a share.
bool classify_mount(const MountEntry& entry, PlaceKind* kind);
// Home (when `home` is not empty), the root, then the mounts worth offering in table order,
// each folder once.
std::vector<Place> places_from_mounts(const std::vector<MountEntry>& entries,
                                      const std::string& home);
// The places of the running system: $HOME, the root, and /proc/self/mounts.
std::vector<Place> system_places();
