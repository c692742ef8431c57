#include "platform/offline/HiveFile.h"

#include <hivex.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/TextFile.h"

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
  // Not HIVEX_OPEN_UNSAFE: a hive whose blocks do not add up is refused whole rather than read
  // in part.
  errno = 0;
  hive_h* hive = hivex_open(path.c_str(), 0);
  if (hive == nullptr) {
    const int error = errno;
    why =
        "the hive " + path + " cannot be read: " +
        (error == ENOTSUP ? std::string("it is damaged or not a hive file") : std::strerror(error));
    return nullptr;
  }
  return std::unique_ptr<HiveFile>(new HiveFile(hive, path));
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
  hive_type stored{};
  size_t length = 0;
  errno = 0;
  char* bytes = hivex_value_value(Hive(handle_), value, &stored, &length);
  if (bytes == nullptr) return Failed("reading a value's data");
  type = static_cast<uint32_t>(stored);
  data.assign(bytes, bytes + length);
  std::free(bytes);
  return true;
}

bool HiveFile::IsDirty(const std::string& path) {
  // The base block: "regf", then the primary and the secondary sequence number.
  unsigned char header[12] = {};
  std::ifstream file(path, std::ios::binary);
  if (!file.read(reinterpret_cast<char*>(header), sizeof header)) return false;
  return std::memcmp(header, "regf", 4) == 0 && Le32(header + 4) != Le32(header + 8);
}
