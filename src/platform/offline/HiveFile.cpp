#include "platform/offline/HiveFile.h"

#include <hivex.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/TextFile.h"
#include "platform/offline/RegularFile.h"

namespace {

hive_h* Hive(void* handle) { return static_cast<hive_h*>(handle); }

std::u16string TakeName(char* utf8) {
  const size_t length = std::strlen(utf8);
  std::u16string name = Utf8Text(Bytes(utf8, utf8 + length));
  std::free(utf8);
  return name;
}

uint32_t Le32(const unsigned char* bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

}  // namespace

std::unique_ptr<HiveFile> HiveFile::Open(const std::string& path, std::string& why) {
  why = "the hive " + path + " cannot be read: ";
  int error = 0;
  const int file = OpenRegularFile(path, true, error);
  if (file < 0) {
    why += error == ELOOP ? "it is a symbolic link; a hive is read only as a file"
           : error != 0   ? std::strerror(error)
                          : "it is not a regular file (a hive is read only as one)";
    return nullptr;
  }
  // The base block: "regf", then the primary and the secondary sequence number.
  unsigned char header[12] = {};
  const bool dirty = pread(file, header, sizeof header, 0) == sizeof header &&
                     std::memcmp(header, "regf", 4) == 0 && Le32(header + 4) != Le32(header + 8);
  // hivex opens by name: the name of the descriptor checked above, which no rename can swap.
  // Not HIVEX_OPEN_UNSAFE: a hive whose blocks do not add up is refused whole rather than read
  // in part.
  errno = 0;
  hive_h* hive = hivex_open(("/proc/self/fd/" + std::to_string(file)).c_str(), 0);
  error = errno;
  close(file);
  if (hive == nullptr) {
    why +=
        error == ENOTSUP ? std::string("it is damaged or not a hive file") : std::strerror(error);
    return nullptr;
  }
  why.clear();
  return std::unique_ptr<HiveFile>(new HiveFile(hive, path, dirty));
}

HiveFile::~HiveFile() { hivex_close(Hive(handle_)); }

size_t HiveFile::Root() const { return hivex_root(Hive(handle_)); }

bool HiveFile::Failed(const char* what) {
  if (damage_.empty()) {
    damage_ =
        "the hive " + path_ + " is damaged: " + what + " failed (" + std::strerror(errno) + ")";
  }
  return false;
}

bool HiveFile::List(size_t node, bool values, std::vector<HiveEntry>& entries) {
  entries.clear();
  errno = 0;
  size_t* list =
      values ? hivex_node_values(Hive(handle_), node) : hivex_node_children(Hive(handle_), node);
  if (list == nullptr) return Failed(values ? "reading a key's values" : "reading a key's subkeys");
  bool whole = true;
  for (size_t* entry = list; *entry != 0; ++entry) {
    char* name =
        values ? hivex_value_key(Hive(handle_), *entry) : hivex_node_name(Hive(handle_), *entry);
    if (name == nullptr) {
      whole = Failed("reading a name");
      continue;
    }
    entries.push_back({TakeName(name), *entry});
  }
  std::free(list);
  return whole;
}

bool HiveFile::Data(size_t value, uint32_t& type, Bytes& data) {
  // The type word is handed on as the hive stores it, any number at all: it is read into an
  // integer (C lets hivex write its enumeration there), never held as a hive_type, whose values
  // outside the enumeration C++ does not allow.
  static_assert(sizeof(hive_type) == sizeof(uint32_t));
  uint32_t stored = 0;
  size_t length = 0;
  errno = 0;
  char* bytes =
      hivex_value_value(Hive(handle_), value, reinterpret_cast<hive_type*>(&stored), &length);
  if (bytes == nullptr) return Failed("reading a value's data");
  type = stored;
  data.assign(bytes, bytes + length);
  std::free(bytes);
  return true;
}
