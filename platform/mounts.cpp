#include "platform/mounts.h"

#include <mntent.h>

#include <cstdlib>
#include <cstring>

namespace {

// The kernel's and the desktop's own file systems: no user keeps files there.
constexpr const char* PSEUDO_TYPES[] = {
    "proc",     "sysfs",   "tmpfs",     "devtmpfs", "devpts",     "cgroup",     "cgroup2",
    "securityfs", "debugfs", "tracefs", "pstore",   "bpf",        "configfs",   "fusectl",
    "mqueue",   "hugetlbfs", "autofs",  "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs",
    "ramfs",    "overlay", "squashfs",  "fuse.gvfsd-fuse", "fuse.portal", "selinuxfs",
};
constexpr const char* DISC_TYPES[] = {"iso9660", "udf"};
constexpr const char* NETWORK_TYPES[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p",
                                         "fuse.sshfs", "sshfs", "afs", "ncpfs", "davfs",
                                         "fuse.davfs2"};
// Where desktops and users mount media.
constexpr const char* MEDIA_FOLDERS[] = {"/media/", "/run/media/", "/mnt/"};

template <size_t N>
bool is_one_of(const std::string& text, const char* const (&set)[N]) {
  for (const char* item : set)
    if (text == item) return true;
  return false;
}

bool starts_with(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

std::string with_trailing_slash(const std::string& folder) {
  if (!folder.empty() && folder.back() == '/') return folder;
  return folder + '/';
}

// The last element of a folder: "/media/ann/USB STICK" gives "USB STICK".
std::string last_element(const std::string& folder) {
  std::string text = folder;
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  const size_t slash = text.rfind('/');
  return slash == std::string::npos ? text : text.substr(slash + 1);
}

bool already_listed(const std::vector<Place>& places, const std::string& folder) {
  for (const Place& place : places)
    if (place.folder == folder) return true;
  return false;
}

}  // namespace

bool read_mount_table(const std::string& path, std::vector<MountEntry>* entries) {
  entries->clear();
  FILE* table = setmntent(path.c_str(), "r");
  if (table == nullptr) return false;
  // getmntent_r with our own buffer: a long line is cut by the library, never overrun.
  struct mntent entry;
  char line[4096];
  while (getmntent_r(table, &entry, line, sizeof line) != nullptr) {
    MountEntry mount;
    mount.device = entry.mnt_fsname != nullptr ? entry.mnt_fsname : "";
    mount.folder = entry.mnt_dir != nullptr ? entry.mnt_dir : "";
    mount.type = entry.mnt_type != nullptr ? entry.mnt_type : "";
    entries->push_back(mount);
  }
  endmntent(table);
  return true;
}

bool classify_mount(const MountEntry& entry, PlaceKind* kind) {
  if (entry.folder.empty() || entry.folder[0] != '/') return false;
  if (is_one_of(entry.type, PSEUDO_TYPES)) return false;
  if (is_one_of(entry.type, DISC_TYPES)) {
    *kind = PLACE_DISC;
    return true;
  }
  if (is_one_of(entry.type, NETWORK_TYPES)) {
    *kind = PLACE_NETWORK;
    return true;
  }
  const std::string folder = with_trailing_slash(entry.folder);
  for (const char* media : MEDIA_FOLDERS) {
    if (starts_with(folder, media) && folder.size() > std::strlen(media) &&
        starts_with(entry.device, "/dev/")) {
      *kind = PLACE_REMOVABLE;
      return true;
    }
  }
  return false;
}

std::vector<Place> places_from_mounts(const std::vector<MountEntry>& entries,
                                      const std::string& home) {
  std::vector<Place> places;
  if (!home.empty()) places.push_back({PLACE_HOME, "Home", with_trailing_slash(home)});
  if (!already_listed(places, "/")) places.push_back({PLACE_ROOT, "/", "/"});
  for (const MountEntry& entry : entries) {
    PlaceKind kind;
    if (!classify_mount(entry, &kind)) continue;
    const std::string folder = with_trailing_slash(entry.folder);
    if (already_listed(places, folder)) continue;
    places.push_back({kind, last_element(folder), folder});
  }
  return places;
}

std::vector<Place> system_places() {
  std::vector<MountEntry> entries;
  read_mount_table(MOUNT_TABLE_PATH, &entries);
  const char* home = std::getenv("HOME");
  return places_from_mounts(entries, home != nullptr ? home : "");
}
