#pragma once

#include <optional>
#include <string>

namespace trv {

// The name of the user this process runs as (UTF-8); empty when the system cannot give it.
std::optional<std::string> LoggedOnUserName();

}  // namespace trv
