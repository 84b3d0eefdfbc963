#include "temp_folder.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "picdock-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

// remove_all does not follow links, so links back up the tree are safe.
TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempFolder::File(const std::string& relative) const {
  std::ofstream file(*this / relative);
  file << relative;
  if (!file) throw std::runtime_error("can't write " + relative);
}

void TempFolder::Folder(const std::string& relative) const {
  if (mkdir((*this / relative).c_str(), 0755) != 0) throw std::runtime_error("can't make " + relative);
}

void TempFolder::Link(const std::string& relative, const std::string& target) const {
  if (symlink(target.c_str(), (*this / relative).c_str()) != 0) {
    throw std::runtime_error("can't link " + relative);
  }
}
