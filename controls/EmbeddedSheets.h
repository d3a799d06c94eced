#pragma once

#include <string_view>

// Style sheets compiled into the library from controls/styles/*.txt by the
// build (cmake/UxEmbedSheet.cmake): the binary stream of each, by file name.
std::string_view uxEmbeddedSheet_defaultuistyle();
