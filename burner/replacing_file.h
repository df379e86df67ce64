#pragma once
// A file written whole or not at all: the bytes go to a temporary file beside the target, which
// is flushed and renamed over the target only once everything is written. An existing file of
// that name is never lost or left half-written, and the replacement keeps its permission bits.
#include <cstddef>
#include <cstdint>
#include <filesystem>

class ReplacingFile {
 public:
  explicit ReplacingFile(std::filesystem::path target);
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  // Removes the temporary file unless Commit succeeded.
  ~ReplacingFile();

  // Creates the temporary file; false when the directory takes no new file.
  bool Create();
  // False on any write error, a file-size limit included.
  bool WriteAll(const std::uint8_t* data, std::size_t size);
  // Flushes, closes and renames the temporary file over the target.
  bool Commit();

 private:
  void Abandon();

  std::filesystem::path target_;
  std::filesystem::path temp_;
  int fd_ = -1;
};
