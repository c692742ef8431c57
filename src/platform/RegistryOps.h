// The eight small registry operations. Each opens its own key (or reads through one given), does
// one job and closes it; a key or value that cannot be reached gives an empty list, "", 0 or
// false, never an error.
#pragma once

#include <stdexcept>

#include "platform/Types.h"

class RegKey;

// Raised when a write or a read fails after the key was reached ("Failed to set data for '%s'",
// "Failed to get data for '%s'").
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised when string data that a check would judge does not survive the round trip through the
// code page: the item that holds it is left alone, like an item whose name does not survive it.
class UnreadableText : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Clears list and fills it with the subkey names of root\path (opened with full access).
int32_t ListSubKeys(RootKey root, const std::string& path, TextList& list);
// Clears list and fills it with the value names (the default value, when set, as "").
int32_t ListValueNames(RootKey root, const std::string& path, TextList& list);
// String or expandable string data as stored; "" otherwise. Throws UnreadableText for text the
// code page cannot hold unchanged.
std::string ReadString(RootKey root, const std::string& path, const std::string& name);
// The same, upper-cased byte-wise (a-z only): the form the checks compare.
std::string ReadStringUpper(RootKey root, const std::string& path, const std::string& name);
// The same for a setting the program reads for itself, where there is no item to leave alone:
// text the code page cannot hold unchanged reads as "" too, as does a key it may not read.
std::string ReadSettingText(RootKey root, const std::string& path, const std::string& name);
// REG_DWORD data as a signed integer; 0 otherwise.
int32_t ReadDword(RootKey root, const std::string& path, const std::string& name);
// The same two reads through a key already open, for a check that reads several values of one
// key: one open instead of one per value.
std::string ReadString(const RegKey& key, const std::string& name);
int32_t ReadDword(const RegKey& key, const std::string& name);
// Creates the key path when needed and writes a REG_SZ value; throws RegistryError on refusal.
void WriteStringValue(RootKey root, const std::string& path, const std::string& name,
                      const std::string& text);
bool KeyExists(RootKey root, const std::string& path);
bool DeleteValueIfExists(RootKey root, const std::string& path, const std::string& name);
bool CanOpenFullAccess(RootKey root, const std::string& path);

// Byte-wise ASCII upper-casing: a-z become A-Z, every other byte stays.
std::string UpperAscii(std::string text);
