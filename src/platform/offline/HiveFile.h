// One registry hive file, opened read-only through hivex: its keys and values as UTF-16 names
// and stored bytes. Nothing is ever written to it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"

// A subkey or a value of a key: its name and hivex's handle of it.
struct HiveEntry {
  std::u16string name;
  size_t handle = 0;
};

class HiveFile {
 public:
  // nullptr with why (the file and the reason) when it is missing, damaged, or not a regular
  // file (a link, a FIFO, a device).
  static std::unique_ptr<HiveFile> Open(const std::string& path, std::string& why);
  ~HiveFile();
  HiveFile(const HiveFile&) = delete;
  HiveFile& operator=(const HiveFile&) = delete;

  const std::string& Path() const { return path_; }
  size_t Root() const;
  // False when the hive cannot be read there; Damage() then says where and why.
  bool Children(size_t node, std::vector<HiveEntry>& children) {
    return List(node, false, children);
  }
  bool Values(size_t node, std::vector<HiveEntry>& values) { return List(node, true, values); }
  bool Data(size_t value, uint32_t& type, Bytes& data);
  // The first read that failed: "" while every read went through.
  const std::string& Damage() const { return damage_; }

  // A hive copied from a running Windows: its base block's two sequence numbers differ, so
  // the changes its transaction logs hold were never written into it.
  bool Dirty() const { return dirty_; }

 private:
  HiveFile(void* handle, std::string path, bool dirty)
      : handle_(handle), path_(std::move(path)), dirty_(dirty) {}
  bool Failed(const char* what);
  bool List(size_t node, bool values, std::vector<HiveEntry>& entries);

  void* handle_;
  std::string path_;
  bool dirty_;
  std::string damage_;
};
