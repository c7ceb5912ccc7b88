// One file in a folder of the fuzz process's own, written with each input and removed
// with the folder when the process ends.
#pragma once

#include <QString>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace fuzz {

class ScratchFile {
 public:
  explicit ScratchFile(const std::string& name)
      : m_folder(std::filesystem::temp_directory_path() / ("vistrel-fuzz-" + std::to_string(::getpid()))),
        m_path(m_folder / name) {
    std::filesystem::create_directories(m_folder);
  }
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  void Write(const std::string& bytes) const {
    std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  QString Path() const { return QString::fromStdString(m_path.string()); }

 private:
  std::filesystem::path m_folder;
  std::filesystem::path m_path;
};

}  // namespace fuzz
