// Files, folders and settings-file texts shared by the core tests that read and write them.
#pragma once

#include "core/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace ym::test {

namespace fs = std::filesystem;

// The section names of the two markets, in GBK as a new file holds them and in UTF-8.
inline const std::string kSh = "\xC9\xCF\xBA\xA3"; // 上海
inline const std::string kSz = "\xC9\xEE\xDB\xDA"; // 深圳
inline const std::string kShUtf8 = "\xE4\xB8\x8A\xE6\xB5\xB7";
inline const std::string kSzUtf8 = "\xE6\xB7\xB1\xE5\x9C\xB3";

// Printable ASCII as is, every other byte as \xHH, so a failed comparison shows the bytes.
inline std::string Hex(const std::string& s) {
    std::ostringstream o;
    for (unsigned char c : s) {
        char b[8];
        std::snprintf(b, sizeof b, c >= 0x20 && c < 0x7F && c != '\\' ? "%c" : "\\x%02X", c);
        o << b;
    }
    return o.str();
}

// The text of a settings message as the user reads it, or "no message".
inline std::string Said(std::optional<SettingsMessage> message) {
    return message ? std::string(MessageText(*message)) : "no message";
}

// A fresh folder, removed with everything in it (permissions restored first).
class TempDir {
public:
    explicit TempDir(const fs::path& base = fs::temp_directory_path()) {
        std::string tmpl = (base / "ym_core_XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (const auto& e : fs::recursive_directory_iterator(path_, ec)) {
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }
    fs::path file() const { return path_ / kSettingsFileName; }

private:
    fs::path path_;
};

inline void Put(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string Get(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

inline std::vector<std::string> Listing(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The settings file alone in its folder: nothing created beside it, nothing left behind.
inline const std::vector<std::string> kJustTheFile{std::string(kSettingsFileName)};

// s with the first `from` replaced by `to`; a missing `from` fails the test.
inline std::string Replace(std::string s, const std::string& from, const std::string& to) {
    const auto at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) {
        s.replace(at, from.size(), to);
    }
    return s;
}

// Keeps the process's file size limit low for the life of the object, so that a write
// fails half way as it would on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit low = old_;
        low.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
};

} // namespace ym::test
