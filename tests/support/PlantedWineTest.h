// A test under Wine over the real Win32 platform that plants registry keys, files and folders of
// its own and removes them before and after: it never touches what it did not create.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/FileApi.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"

class PlantedWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseWin32Platform();
    InitPaths();
    RemovePlanted();
  }
  void TearDown() override {
    RemovePlanted();
    for (const std::string& file : created) Files().RemoveFile(file);
    for (const std::string& folder : folders) RemoveDirectoryA(folder.c_str());
  }
  // Removes every registry key the test plants.
  virtual void RemovePlanted() = 0;

  std::vector<std::string> created;  // files removed after the test
  std::vector<std::string> folders;  // folders removed after their files
};
