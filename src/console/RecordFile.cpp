#include "RecordFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

namespace {

void warn(const std::string& path, const char* what, int error) {
  std::cerr << "Warning: could not " << what << " \"" << path
            << "\": " << (error != 0 ? std::strerror(error) : "unknown error") << std::endl;
}

}  // namespace

bool appendRecord(const std::string& path, const std::string& record) {
  errno = 0;
  std::ofstream out(path, std::ios::out | std::ios::app | std::ios::binary);
  if (!out) {
    warn(path, "open", errno);
    return false;
  }
  std::error_code sizeError;
  const auto sizeBefore = std::filesystem::file_size(path, sizeError);

  const std::string line = record + '\n';
  errno = 0;
  out.write(line.data(), static_cast<std::streamsize>(line.size()));
  out.flush();
  const int writeError = errno;
  if (out) return true;

  // Cut the file back to where it was so no half record is left for the
  // analyser to misread; this fails quietly where the file cannot be resized.
  out.close();
  if (!sizeError) {
    std::error_code ignored;
    std::filesystem::resize_file(path, sizeBefore, ignored);
  }
  warn(path, "write to", writeError);
  return false;
}
