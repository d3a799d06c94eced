#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "scene2d/Errors.h"

// The file side the command-line tools share: reading an input whole, within
// a limit, and writing an output so that a failed or interrupted run never
// leaves a partial file.

// A file a tool cannot read or write, or an input it refuses; the text names
// the file and the reason, ready for standard error.
class EuxToolError : public EuxError {
 public:
  using EuxError::EuxError;
};

// Layouts are kilobytes, a large one with images a few megabytes; readers
// need several times their input, so beyond this an input is taken for an
// error.
constexpr size_t uxMaxToolInput = size_t(512) << 20;

// "standard input" for "-", else the name itself.
std::string uxDescribeInput(std::string_view Name);

// All of Name ("-": standard input). A regular file over uxMaxToolInput is
// refused before it is read, a device or pipe once it has given more; the
// message names Tool ("larger than 512 MiB, the most uxconv reads").
std::string uxReadToolInput(const std::string& Name, std::string_view Tool);

// Writes Data to Name ("-": standard output). A regular file, or a new one,
// is replaced in one step through a synced temporary file beside it, which
// is removed again on SIGINT, SIGTERM and SIGHUP, so Name is either as it was
// or complete. A symbolic link is followed and the file it names replaced; a
// device or pipe is written straight.
void uxWriteToolOutput(const std::string& Name, const std::string& Data);
