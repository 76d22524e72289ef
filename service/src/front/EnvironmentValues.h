#pragma once
// Reading a CGI environment, or a FastCGI request's parameters, which come in the same form.

#include <string_view>
#include <vector>

namespace ipx {

// Every value of the variable name in a null-terminated list of "NAME=value" texts (a
// null list has none), in the list's order. getenv and FCGX_GetParam give only the first.
std::vector<std::string_view> EnvironmentValues(char** environment, std::string_view name);

}  // namespace ipx
