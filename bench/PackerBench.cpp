// The packer against tar on the same tree: 100 MiB in 2,000 files in 20 directories, packed
// ("packer -p" beside "tar cf") and unpacked ("packer -u" beside "tar xf"). Both run as child
// processes with their output thrown away, so each figure is one whole command.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kDirectories = 20;
constexpr int kFilesPerDirectory = 100;
constexpr uint64_t kTreeBytes = 100ull << 20;

// Where the tree goes: $BRUMAL_BENCH_DIR, else the memory file system when there is one. On a
// disk, writing back 100 MiB per run dominates and varies from run to run whichever tool wrote
// it; in memory the figures show what the tools themselves cost.
fs::path scratchParent() {
  if (const char* chosen = std::getenv("BRUMAL_BENCH_DIR")) {
    return chosen;
  }
  std::error_code ignored;
  if (fs::is_directory("/dev/shm", ignored)) {
    return "/dev/shm";
  }
  return fs::temp_directory_path();
}

// The scratch folder with the tree in it, made on first use and removed at exit.
class Workspace {
public:
  static Workspace& get() {
    static Workspace workspace;
    return workspace;
  }
  ~Workspace() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  std::string root;

private:
  Workspace() {
    std::string pattern = (scratchParent() / "brumal-packer-bench-XXXXXX").string();
    if (mkdtemp(&pattern[0]) == nullptr) {
      std::abort();
    }
    root = pattern;
    const uint64_t fileBytes = kTreeBytes / (kDirectories * kFilesPerDirectory);
    std::vector<char> contents(static_cast<size_t>(fileBytes));
    uint32_t seed = 1;
    for (int d = 0; d < kDirectories; ++d) {
      std::string directory = root + "/data/dir" + std::to_string(d);
      fs::create_directories(directory);
      for (int f = 0; f < kFilesPerDirectory; ++f) {
        for (char& c : contents) {
          seed = seed * 1664525u + 1013904223u;
          c = static_cast<char>(seed >> 24);
        }
        std::ofstream out(directory + "/file" + std::to_string(f) + ".bin", std::ios::binary);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
      }
    }
  }
};

// Runs a program in the workspace with its standard output discarded; true on exit status
// expected.
bool run(const std::vector<std::string>& args, int expected) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  std::string here = fs::current_path().string();
  if (chdir(Workspace::get().root.c_str()) != 0) {
    return false;
  }
  pid_t child = 0;
  int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  bool ok = spawned == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == expected;
  if (chdir(here.c_str()) != 0) {
    return false;
  }
  return ok;
}

void freshDirectory(const std::string& name) {
  std::string path = Workspace::get().root + "/" + name;
  fs::remove_all(path);
  fs::create_directory(path);
}

void BM_PackerPack(benchmark::State& state) {
  Workspace::get();
  for (auto _ : state) {
    if (!run({PACKER_PATH, "-p", "data", "data.pak"}, 1)) {
      state.SkipWithError("packer -p failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTreeBytes));
}

void BM_TarCreate(benchmark::State& state) {
  Workspace::get();
  for (auto _ : state) {
    if (!run({"tar", "cf", "data.tar", "data"}, 0)) {
      state.SkipWithError("tar cf failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTreeBytes));
}

void BM_PackerUnpack(benchmark::State& state) {
  if (!run({PACKER_PATH, "-p", "data", "data.pak"}, 1)) {
    state.SkipWithError("packer -p failed");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    freshDirectory("unpacked");
    state.ResumeTiming();
    if (!run({PACKER_PATH, "-u", "data.pak", "unpacked\\"}, 1)) {
      state.SkipWithError("packer -u failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTreeBytes));
}

void BM_TarExtract(benchmark::State& state) {
  if (!run({"tar", "cf", "data.tar", "data"}, 0)) {
    state.SkipWithError("tar cf failed");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    freshDirectory("extracted");
    state.ResumeTiming();
    if (!run({"tar", "xf", "data.tar", "-C", "extracted"}, 0)) {
      state.SkipWithError("tar xf failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTreeBytes));
}

}  // namespace

BENCHMARK(BM_PackerPack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_TarCreate)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_PackerUnpack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_TarExtract)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
