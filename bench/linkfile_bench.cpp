// Saving and loading link files of growing size, with `cat` reading the same bytes as the
// floor for loading. Peak heap is reported as a multiple of the four lines' size.
#include "heapcounter.h"
#include "linkstore/linkfile.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tovren::bench {
namespace {

const std::string& scratchDirectory() {
    static const std::string directory = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "tovren-bench-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        return pattern;
    }();
    return directory;
}

// Four lines that make up `size` bytes with their CR LF terminators.
LinkRecord recordOfSize(std::size_t size) {
    const std::size_t text = size > 8 ? size - 8 : 0;
    const std::size_t quarter = text / 4;
    return {std::string(quarter, 'u'), std::string(quarter, 'd'), std::string(quarter, 'l'),
            std::string(text - 3 * quarter, 'r')};
}

std::size_t lineBytes(const LinkRecord& record) {
    return record.up.size() + record.down.size() + record.left.size() + record.right.size();
}

std::string fileOfSize(std::size_t size, std::size_t tail = 0) {
    const std::string path =
        scratchDirectory() + "/load-" + std::to_string(size) + "-" + std::to_string(tail) + ".link";
    if (!std::filesystem::exists(path)) {
        saveLinkFile(path, recordOfSize(size));
        if (tail > 0) {
            std::filesystem::resize_file(path, size + tail); // a sparse tail of zero bytes
        }
    }
    return path;
}

void BM_SaveLinkFile(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const LinkRecord record = recordOfSize(size);
    const std::string path = scratchDirectory() + "/save.link";
    std::filesystem::remove(path);
    for (auto _ : state) {
        saveLinkFile(path, record);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_SaveLinkFile)->RangeMultiplier(8)->Range(8, 64 << 20)->Unit(benchmark::kMicrosecond);

void BM_LoadLinkFile(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::string path = fileOfSize(size);
    double peakRatio = 0;
    for (auto _ : state) {
        const std::size_t before = heapInUse();
        resetHeapPeak();
        LinkRecord record = loadLinkFile(path);
        peakRatio = static_cast<double>(heapPeak() - before) /
                    static_cast<double>(std::max<std::size_t>(lineBytes(record), 1));
        benchmark::DoNotOptimize(record);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.SetComplexityN(state.range(0));
    state.counters["peak_heap_per_line_byte"] = peakRatio;
}
BENCHMARK(BM_LoadLinkFile)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 64 << 20)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

// The floor: `cat FILE > /dev/null`, a process of its own, started the same way each time.
void BM_CatToDevNull(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::string path = fileOfSize(size);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> arguments{const_cast<char*>("cat"), const_cast<char*>(path.c_str()),
                                 nullptr};
    for (auto _ : state) {
        pid_t child = 0;
        if (::posix_spawnp(&child, "cat", &actions, nullptr, arguments.data(), environ) != 0) {
            state.SkipWithError("cannot start cat");
            break;
        }
        int status = 0;
        ::waitpid(child, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_CatToDevNull)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 64 << 20)
    ->Unit(benchmark::kMicrosecond);

// What cat itself does once started: read the file in 128 KiB pieces and throw them away.
void BM_ReadToNowhere(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    const std::string path = fileOfSize(size);
    std::vector<char> buffer(128 * 1024);
    for (auto _ : state) {
        const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        while (::read(file, buffer.data(), buffer.size()) > 0) {
        }
        ::close(file);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_ReadToNowhere)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 64 << 20)
    ->Unit(benchmark::kMicrosecond);

// The floor of any load: the record's bytes must end up in memory of their own. Four strings
// of the lines' sizes, written once, as the loaded lines are.
void BM_FreshLineMemory(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        LinkRecord record = recordOfSize(size);
        benchmark::DoNotOptimize(record);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_FreshLineMemory)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 64 << 20)
    ->Unit(benchmark::kMicrosecond);

// Four lines of 1 KiB in all, followed by a tail of 1 GiB that loading must not read.
void BM_LoadLinkFileBeforeAGigabyteTail(benchmark::State& state) {
    const std::string path = fileOfSize(1 << 10, std::size_t{1} << 30);
    for (auto _ : state) {
        benchmark::DoNotOptimize(loadLinkFile(path));
    }
}
BENCHMARK(BM_LoadLinkFileBeforeAGigabyteTail)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tovren::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(tovren::bench::scratchDirectory());
    return 0;
}
