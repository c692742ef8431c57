// What the contract tests need from the backend they run on. Natively it is the simulated
// platform (tests/unit/ContractBackendSim.cpp), under Wine the Win32 calls
// (tests/win/ContractBackendWin32.cpp); the tests themselves are one source.
#pragma once

#include <string>

#include "platform/Types.h"

// Whether the backend can run with that ANSI code page (1252 or 65001): the simulation always,
// the Win32 calls only with the one the process was started with.
bool ContractOffersCodePage(uint32_t codePage);
// Installs the backend with that code page and returns a private, empty scratch key below
// HKEY_CURRENT_USER (a path without a leading backslash). Call once per test, then ContractEnd.
std::string ContractBegin(uint32_t codePage = 1252);
// Removes the scratch key and everything below it.
void ContractEnd();
// The user may read root\path but not change it (full-access opens and writes fail with 5).
void ContractMarkReadOnly(RootKey root, const std::string& path);
// A subkey or value whose UTF-16 name the ANSI code page may not hold.
void ContractCreateWideKey(RootKey root, const std::string& path, const std::u16string& name);
void ContractSetWideValue(RootKey root, const std::string& path, const std::u16string& name);
// A second name for an existing file (CreateHardLinkA).
void ContractHardLink(const std::string& path, const std::string& existing);
// An empty file at a path of any length, its folders created; removed with ContractEnd.
void ContractPutFile(const std::string& path);
