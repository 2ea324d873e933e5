#pragma once

#include <string>

// The file self-play appends its game records to, in the working directory.
inline constexpr const char* kRecordFileName = "RecordedGames.txt";

// Appends record and a line end to the file at path as one whole line: the
// file is created when missing and earlier lines stay as they are. A file that
// cannot be opened or written is reported by a one-line warning on standard
// error naming the file and the reason; a failed write leaves no partial line
// behind. Returns whether the line was written.
bool appendRecord(const std::string& path, const std::string& record);
