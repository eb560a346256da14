// The program's profile file: an INI file in the user's configuration
// directory, read and written with the semantics of the Windows private
// profile functions (section and key names without regard to case, every
// other line kept when one entry is written).
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velk {

// $XDG_CONFIG_HOME/<exeTitle>.INI, or $HOME/.config/<exeTitle>.INI when
// XDG_CONFIG_HOME is unset or empty (relative to the working directory when
// HOME is unset too).
std::filesystem::path ProfilePath(std::string_view exeTitle);

// A snapshot of one profile file, read once. A file that is missing or cannot
// be read (a directory in its place, no permission, binary content) gives an
// empty profile.
class Profile {
public:
    Profile();                                              // empty
    explicit Profile(const std::filesystem::path& path);
    static Profile FromText(std::string_view text);

    Profile(Profile&&) noexcept;
    Profile& operator=(Profile&&) noexcept;
    ~Profile();

    // nullopt when the key is missing; "" when the key has an empty value.
    std::optional<std::string> GetString(std::string_view section, std::string_view key) const;

    // GetString with a default for a missing key (an empty value is not missing).
    std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) const;

private:
    struct Data;
    std::unique_ptr<Data> data_;
};

// Sets one entry: re-reads the file, keeps every other line (other sections
// and keys, comments), creates a missing directory and replaces the file
// atomically, so that a failure leaves the old file whole. False on failure.
bool WriteString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                 std::string_view value);

}  // namespace velk
