// A real folder made for one test and removed with everything in it.
#pragma once

#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder's path, without a trailing separator.
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

  // Relative paths; parents must exist.
  void File(const std::string& relative) const;
  void Folder(const std::string& relative) const;
  void Link(const std::string& relative, const std::string& target) const;

 private:
  std::string path_;
};
