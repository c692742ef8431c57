// The language file: every visible text, looked up by section and key with a default given at
// the point of use, following the rules of the Windows private-profile reader.
#pragma once

#include <string>

// The reader holds nothing but the file's full path; every lookup reads the file anew.
class LanguageFile {
 public:
  explicit LanguageFile(std::string path) : path_(std::move(path)) {}
  const std::string& Path() const { return path_; }
  std::string Text(const std::string& section, const std::string& key,
                   const std::string& fallback) const;

 private:
  std::string path_;
};

// The private-profile rules on INI text already read (the portable reader).
std::string ProfileString(const std::string& iniText, const std::string& section,
                          const std::string& key, const std::string& fallback);

// The process-wide reader: opened at window creation, released at its close. Without one
// every lookup gives its default.
void OpenLanguageFile(const std::string& path);
void ReleaseLanguageFile();
std::string LanguageText(const std::string& section, const std::string& key,
                         const std::string& fallback);
