// The window tests' own configuration directory: the shared main makes it,
// points XDG_CONFIG_HOME at it before any test runs and removes it at the end,
// so that no test reads or writes the user's profile.
#pragma once

#include <filesystem>

namespace velk::test {

const std::filesystem::path& TestRoot();

}  // namespace velk::test
