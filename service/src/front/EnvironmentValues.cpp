#include "EnvironmentValues.h"

namespace ipx {

std::vector<std::string_view> EnvironmentValues(char** environment, std::string_view name) {
    std::vector<std::string_view> values;
    for (char** entry = environment; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        if (text.size() > name.size() && text.starts_with(name) && text[name.size()] == '=') {
            values.push_back(text.substr(name.size() + 1));
        }
    }
    return values;
}

}  // namespace ipx
