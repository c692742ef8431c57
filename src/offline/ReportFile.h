// Where klarvex-offline's report goes: standard output for "-", else a file in a folder outside
// the image being judged, written beside its name and renamed over it, so that nothing is ever
// written through a link or into a file that has another name in the image.
#pragma once

#include <string>
#include <vector>

class ReportFile {
 public:
  ReportFile() = default;
  ~ReportFile();
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  // Checks the place before anything is read: false with why when the report cannot go to path
  // (no such folder, a link or a second name at the name, a place inside any of image, the
  // Windows folder and the hive files given).
  bool Place(const std::string& path, const std::vector<std::string>& image, std::string& why);
  // Writes text there; false with why when it could not be written whole.
  bool Write(const std::string& text, std::string& why);
  bool ToStandardOutput() const { return path_ == "-"; }

 private:
  std::string path_;
  std::string name_;
  int folder_ = -1;
};
