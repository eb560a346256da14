#include "platform/profile.h"
#include "platform/unique_fd.h"

// Plain char data: UTF-8 passes through untouched, no wide-character build.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <utility>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace velk {
namespace {

// Larger files are not profiles.
constexpr std::size_t kMaxProfileSize = 1 << 20;

std::atomic<unsigned> tempCounter{0};
std::atomic<unsigned>& TempCounter() { return tempCounter; }

enum class ReadResult { Ok, Missing, Unreadable };

ReadResult ReadWholeFile(const std::filesystem::path& path, std::string& text) {
    text.clear();
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Unreadable;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadResult::Unreadable;
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxProfileSize) return ReadResult::Unreadable;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(fd.get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return ReadResult::Unreadable;
        }
        if (n == 0) break;
        text.append(chunk, static_cast<std::size_t>(n));
        if (text.size() > kMaxProfileSize) return ReadResult::Unreadable;
    }
    // An INI file is text: a NUL byte means this is something else.
    if (text.find('\0') != std::string::npos) return ReadResult::Unreadable;
    return ReadResult::Ok;
}

void ConfigureIni(CSimpleIniA& ini) {
    ini.SetUnicode(true);    // UTF-8 text; a byte-order mark is skipped, none is written
    ini.SetMultiKey(false);
    ini.SetMultiLine(false);
    ini.SetSpaces(false);    // "key=value", as the Windows profile functions write
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool IsBlankOrComment(std::string_view line) {
    const auto first = line.find_first_not_of(" \t\r");
    return first == std::string_view::npos || line[first] == ';' || line[first] == '#';
}

// SimpleIni keeps the comments that stand before a section or a key; the ones
// after the last entry of the file it drops. They are put back at the end.
std::string TrailingComments(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t nl = text.find('\n', start);
        const std::size_t end = nl == std::string_view::npos ? text.size() : nl;
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::size_t last = lines.size();  // one past the last entry or section line
    while (last > 0 && IsBlankOrComment(lines[last - 1])) --last;
    if (last == 0) return {};  // comments only: SimpleIni keeps them as the file's comment
    std::string block;
    bool seenComment = false;
    for (std::size_t i = last; i < lines.size(); ++i) {
        const bool blank = lines[i].find_first_not_of(" \t\r") == std::string_view::npos;
        if (blank && !seenComment) continue;
        seenComment = true;
        block.append(lines[i]);
        block += '\n';
    }
    while (block.size() >= 2 && block.ends_with("\n\n")) block.pop_back();
    return block;
}

}  // namespace

std::filesystem::path ProfilePath(std::string_view exeTitle) {
    std::filesystem::path dir;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg != '\0') {
        dir = xdg;
    } else {
        const char* home = std::getenv("HOME");
        dir = std::filesystem::path(home != nullptr ? home : "") / ".config";
    }
    return dir / (std::string(exeTitle) + ".INI");
}

struct Profile::Data {
    CSimpleIniA ini;
};

Profile::Profile() : data_(std::make_unique<Data>()) { ConfigureIni(data_->ini); }

Profile::Profile(const std::filesystem::path& path) : Profile() {
    std::string text;
    if (ReadWholeFile(path, text) != ReadResult::Ok) return;
    if (data_->ini.LoadData(text) < 0) data_->ini.Reset();
}

Profile Profile::FromText(std::string_view text) {
    Profile profile;
    if (text.find('\0') == std::string_view::npos && profile.data_->ini.LoadData(text.data(), text.size()) < 0)
        profile.data_->ini.Reset();
    return profile;
}

Profile::Profile(Profile&&) noexcept = default;
Profile& Profile::operator=(Profile&&) noexcept = default;
Profile::~Profile() = default;

std::optional<std::string> Profile::GetString(std::string_view section, std::string_view key) const {
    if (!data_) return std::nullopt;
    const std::string s(section);
    const std::string k(key);
    const char* value = data_->ini.GetValue(s.c_str(), k.c_str(), nullptr);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

std::string Profile::GetString(std::string_view section, std::string_view key, std::string_view fallback) const {
    return GetString(section, key).value_or(std::string(fallback));
}

bool WriteString(const std::filesystem::path& requested, std::string_view section, std::string_view key,
                 std::string_view value) {
    std::error_code ec;
    // Write through a symbolic link rather than replacing it.
    std::filesystem::path path = requested;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto target = std::filesystem::canonical(path, ec);
        if (ec) return false;
        path = target;
    }
    if (!path.has_filename()) return false;
    const std::filesystem::path dir = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::filesystem::create_directories(dir, ec);
    if (ec) return false;

    CSimpleIniA ini;
    ConfigureIni(ini);
    std::string text;
    std::optional<mode_t> mode;  // the old file's; a new file gets 0666 less the umask
    switch (ReadWholeFile(path, text)) {
    case ReadResult::Missing:
        break;
    case ReadResult::Unreadable:
        // A directory, a device or an unreadable file is not ours to replace.
        return false;
    case ReadResult::Ok: {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) mode = static_cast<mode_t>(st.st_mode & 07777);
        if (ini.LoadData(text) < 0) return false;
        break;
    }
    }

    const std::string s(section), k(key), v(value);
    if (ini.SetValue(s.c_str(), k.c_str(), v.c_str()) < 0) return false;
    std::string out;
    if (ini.Save(out, false) < 0) return false;
    if (const std::string trailing = TrailingComments(text); !trailing.empty()) out += "\n" + trailing;

    // The temporary file lives beside the profile so that rename() replaces it
    // in one step: readers see the old file or the new one, never a part.
    std::string tempName;
    UniqueFd fd(-1);
    for (int attempt = 0; attempt < 100 && fd.get() < 0; ++attempt) {
        tempName = (dir / ("." + path.filename().string() + "." + std::to_string(::getpid()) + "." +
                           std::to_string(TempCounter()++)))
                       .string();
        fd = UniqueFd(::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.get() < 0 && errno != EEXIST) return false;
    }
    if (fd.get() < 0) return false;
    const bool written = (!mode || ::fchmod(fd.get(), *mode) == 0) && WriteAll(fd.get(), out) &&
                         ::fsync(fd.get()) == 0;
    const bool closed = ::close(fd.release()) == 0;
    if (!written || !closed || ::rename(tempName.c_str(), path.c_str()) != 0) {
        ::unlink(tempName.c_str());
        return false;
    }
    // Make the rename itself durable.
    UniqueFd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0) ::fsync(dirFd.get());
    return true;
}

}  // namespace velk
