#pragma once

#include <stdexcept>
#include <string>

// Failures are exceptions whose message is the system's own text, exactly
// ("Invalid stream format", "Stream read error"), so that callers and tests can
// compare it and the user sees the same words everywhere.

class EuxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A stored text (colour, number, point, rectangle, path) that does not convert.
class EuxConvertError : public EuxError {
 public:
  using EuxError::EuxError;
};

// A component stream that cannot be read.
class EuxReadError : public EuxError {
 public:
  using EuxError::EuxError;
};

// A component stream that cannot be written.
class EuxWriteError : public EuxError {
 public:
  using EuxError::EuxError;
};
