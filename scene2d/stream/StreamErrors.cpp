#include "scene2d/stream/StreamErrors.h"

std::string uxFormatMessage(std::string_view Format, std::initializer_list<std::string_view> Args) {
  std::string result;
  result.reserve(Format.size() + 32);
  auto arg = Args.begin();
  for (size_t i = 0; i < Format.size(); ++i) {
    if (Format[i] == '%' && i + 1 < Format.size() && Format[i + 1] == 's') {
      if (arg != Args.end()) result += *arg++;
      ++i;
    } else {
      result += Format[i];
    }
  }
  return result;
}

void uxRaiseReadError(std::string_view Message) {
  throw EuxReadError(std::string(Message));
}

void uxRaiseWriteError() {
  throw EuxWriteError(std::string(uxMsgStreamWriteError));
}
