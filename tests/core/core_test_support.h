// File helpers shared by the core tests that read and write settings files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace ym::test {

namespace fs = std::filesystem;

// Printable ASCII as is, every other byte as \xHH, so a failed comparison shows the bytes.
inline std::string Hex(const std::string& s) {
    std::ostringstream o;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            o << c;
        } else {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02X", c);
            o << b;
        }
    }
    return o.str();
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
    fs::path file() const { return path_ / "Yuanmate5.ini"; }

private:
    fs::path path_;
};

inline void Put(const fs::path& p, const std::string& bytes) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f << bytes;
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

// The result of `call` run on a thread of its own, or nullopt and a failed test when it
// has not returned within a few seconds: a call that blocks forever fails its test instead
// of hanging the suite. The thread is then left behind, so `call` must hold copies of
// what it uses, never references to the test's locals.
template <typename Call> std::optional<std::invoke_result_t<Call>> ReturnsInTime(Call call) {
    using Result = std::invoke_result_t<Call>;
    constexpr std::chrono::seconds kBound{10};
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(call));
    std::future<Result> result = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    if (result.wait_for(kBound) != std::future_status::ready) {
        ADD_FAILURE() << "still running after " << kBound.count() << " s";
        return std::nullopt;
    }
    return result.get();
}

} // namespace ym::test
