// Speed of the settings file's start-up read and of the settings dialog's save, on the
// file system of the temporary folder (each save flushes the file and its folder).
#include "core/atomic_file.h"
#include "core/profile_file.h"
#include "core/settings_file.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class ScratchFolder {
public:
    ScratchFolder() {
        std::string name = (fs::temp_directory_path() / "ym_bench_XXXXXX").string();
        path_ = ::mkdtemp(name.data());
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    fs::path File() const { return path_ / ym::kSettingsFileName; }

private:
    fs::path path_;
};

// The default file after a section the program does not know, padded to `size` bytes
// with lines of 64 bytes: every look-up passes all of them.
std::string PaddedFile(std::size_t size) {
    const std::string settings = ym::DefaultSettingsBytes();
    std::string bytes = "[Notes]\r\n";
    const std::string line = std::string(62, 'x') + "\r\n";
    while (bytes.size() + line.size() + settings.size() <= size) {
        bytes += line;
    }
    return bytes + settings;
}

void WritePaddedFile(const fs::path& file, std::size_t size) {
    std::ofstream(file, std::ios::binary) << PaddedFile(size);
}

// Argument: the size of the file in bytes. Beyond files::kMaxFileSize the read is
// refused after the first kMaxFileSize + 1 bytes.
void BM_ReadSettings(benchmark::State& state) {
    ScratchFolder folder;
    WritePaddedFile(folder.File(), static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ym::ReadSettings(folder.File()));
    }
}
BENCHMARK(BM_ReadSettings)->Arg(4 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSettings)->Arg(50'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);

// One parse and the 68 look-ups of a start-up that reads the custom colours, in memory:
// what the read would cost without the size limit. Argument: the size in bytes.
void BM_ParseAndLookUp(benchmark::State& state) {
    const std::string bytes = PaddedFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const ym::profile::Profile profile = ym::profile::Profile::Parse(bytes);
        for (int k = 0; k < 68; ++k) {
            benchmark::DoNotOptimize(profile.ReadString(ym::kSectionShenzhen, "B28", "-1", 255));
        }
    }
}
BENCHMARK(BM_ParseAndLookUp)->Arg(1 << 20)->Arg(50'000'000)->Unit(benchmark::kMillisecond);

// Argument: the scheme saved (a preset, or the custom scheme with its ten colours).
void BM_SaveParameters(benchmark::State& state) {
    ScratchFolder folder;
    if (ym::EnsureSettingsFile(folder.File())) {
        state.SkipWithError("no settings file");
        return;
    }
    ym::DisplayScheme scheme;
    scheme.SetFromSaved(static_cast<std::int16_t>(state.range(0)));
    const ym::FeeParameters parameters = ym::FeeParameters::Defaults();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ym::SaveParameters(folder.File(), parameters, scheme));
    }
}
BENCHMARK(BM_SaveParameters)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

} // namespace
