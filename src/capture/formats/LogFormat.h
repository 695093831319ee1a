#pragma once

#include <cstddef>
#include <string_view>

namespace vexmoor {

enum class LogFormat { Candump, Gvret, BoardText, Unknown };

// How much of a file the detection looks at, and how many of its non-blank lines: a file whose
// first lines are all of no known kind is not taken for a log.
inline constexpr std::size_t kLogDetectionBytes = 4096;
inline constexpr int kLogDetectionLines = 16;

// The format of a log, decided from its content, never from the file name: the first of the first
// non-blank lines that is a candump line, a GVRET header or frame line, or board text (a "<" record,
// or the board's start-up line) decides. Empty text, or none of these: Unknown.
LogFormat detectLogFormat(std::string_view firstBytes);

// A short name for messages and the command line.
const char* logFormatName(LogFormat format);

} // namespace vexmoor
