// Reading every file of a tree out of our pack archive against PhysicsFS reading the same tree
// out of a stored (uncompressed) zip, plus the cost of opening a 10,000-entry archive.
// The trees and the zip are generated here, in a temporary folder; the archives are laid out by
// the tests' archive builder.
#include <benchmark/benchmark.h>

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <physfs.h>

#include "archive/ByteBuffer.h"
#include "archive/LittleEndian.h"
#include "archive/PackArchive.h"
#include "tests/archive/ArchiveImage.h"

namespace {

struct BenchFile {
  std::string name;  // own name inside its directory
  uint32_t size;
  uint32_t seed;
};

struct BenchDir {
  std::string name;  // own name ("data" for the root)
  std::vector<BenchFile> files;
  std::vector<BenchDir> dirs;
};

std::string fileBytes(const BenchFile& file) {
  std::string bytes(file.size, '\0');
  uint32_t x = file.seed * 2654435761u + 1;
  for (char& c : bytes) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  return bytes;
}

// filesPerDir files in each of (totalFiles / filesPerDir) directories: the first directory's
// files sit in the root, the others in subdirectories, every fourth of them one level deeper.
BenchDir makeTree(int totalFiles, int filesPerDir, uint64_t totalBytes) {
  BenchDir root{"data", {}, {}};
  int dirs = totalFiles / filesPerDir;
  uint32_t seed = 1;
  // Sizes vary between 1/2 and 3/2 of the mean and add up to totalBytes.
  uint64_t mean = totalBytes / static_cast<uint64_t>(totalFiles);
  uint64_t remaining = totalBytes;
  auto nextSize = [&](int index) {
    uint64_t size = index + 1 == totalFiles ? remaining : mean / 2 + (mean * ((index * 37) % 101)) / 100;
    size = size > remaining ? remaining : size;
    remaining -= size;
    return static_cast<uint32_t>(size);
  };
  int index = 0;
  for (int d = 0; d < dirs; ++d) {
    BenchDir dir{"dir" + std::to_string(d), {}, {}};
    for (int f = 0; f < filesPerDir; ++f, ++index) {
      dir.files.push_back({"file" + std::to_string(f) + ".bin", nextSize(index), seed++});
    }
    if (d == 0) {
      root.files = dir.files;
    } else if (d % 4 == 0 && !root.dirs.empty()) {
      root.dirs.back().dirs.push_back(dir);
    } else {
      root.dirs.push_back(dir);
    }
  }
  return root;
}

// The pack archive of the tree, laid out by the tests' archive builder; gives the stored names.
std::vector<std::string> writePack(const BenchDir& root, const std::string& path) {
  std::vector<std::string> names;
  auto convert = [&names](const BenchDir& dir, const std::string& fullName, auto& self) -> archivetest::Dir {
    archivetest::Dir converted{fullName, {}, {}};
    for (const BenchFile& file : dir.files) {
      converted.files.push_back({fullName + "\\" + file.name, fileBytes(file)});
      names.push_back(converted.files.back().name);
    }
    for (const BenchDir& sub : dir.dirs) {
      converted.dirs.push_back(self(sub, fullName + "\\" + sub.name, self));
    }
    return converted;
  };
  archivetest::writeFile(path, archivetest::archiveImage(convert(root, root.name, convert)));
  return names;
}

// --- A minimal stored zip writer ---------------------------------------------------------

void put16(std::string& out, uint32_t v) {
  uint8_t bytes[2];
  writeLe16(bytes, static_cast<uint16_t>(v));
  out.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

void put32(std::string& out, uint32_t v) {
  uint8_t bytes[4];
  writeLe32(bytes, v);
  out.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

void collectZip(const BenchDir& dir, const std::string& prefix, std::ofstream& out, uint32_t& offset,
                std::string& central, uint16_t& count, std::vector<std::string>& names) {
  for (const BenchFile& file : dir.files) {
    std::string name = prefix + file.name;
    std::string bytes = fileBytes(file);
    uint32_t crc =
        static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
    std::string local;
    put32(local, 0x04034b50);
    put16(local, 10);    // version needed: stored
    put16(local, 0);     // flags
    put16(local, 0);     // method: stored
    put16(local, 0);     // time
    put16(local, 0x21);  // date 1980-01-01
    put32(local, crc);
    put32(local, file.size);
    put32(local, file.size);
    put16(local, static_cast<uint32_t>(name.size()));
    put16(local, 0);
    local += name;
    out.write(local.data(), static_cast<std::streamsize>(local.size()));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

    put32(central, 0x02014b50);
    put16(central, 20);  // made by
    put16(central, 10);
    put16(central, 0);
    put16(central, 0);
    put16(central, 0);
    put16(central, 0x21);
    put32(central, crc);
    put32(central, file.size);
    put32(central, file.size);
    put16(central, static_cast<uint32_t>(name.size()));
    put16(central, 0);  // extra
    put16(central, 0);  // comment
    put16(central, 0);  // disk
    put16(central, 0);  // internal attributes
    put32(central, 0);  // external attributes
    put32(central, offset);
    central += name;
    offset += static_cast<uint32_t>(local.size()) + file.size;
    ++count;
    names.push_back(name);
  }
  for (const BenchDir& sub : dir.dirs) {
    collectZip(sub, prefix + sub.name + "/", out, offset, central, count, names);
  }
}

std::vector<std::string> writeZip(const BenchDir& root, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  uint32_t offset = 0;
  std::string central;
  uint16_t count = 0;
  std::vector<std::string> names;
  collectZip(root, root.name + "/", out, offset, central, count, names);
  std::string end;
  put32(end, 0x06054b50);
  put16(end, 0);
  put16(end, 0);
  put16(end, count);
  put16(end, count);
  put32(end, static_cast<uint32_t>(central.size()));
  put32(end, offset);
  put16(end, 0);
  out.write(central.data(), static_cast<std::streamsize>(central.size()));
  out.write(end.data(), static_cast<std::streamsize>(end.size()));
  return names;
}

// --- The generated data set, made once per run ---------------------------------------------

struct DataSet {
  std::filesystem::path folder;
  std::string pack;
  std::string zip;
  std::vector<std::string> packNames;
  std::vector<std::string> zipNames;
  std::string bigPack;   // 10,000 entries
  std::string flatPack;  // 10,000 files in one directory
  uint64_t bytes = 0;

  DataSet() {
    folder = std::filesystem::temp_directory_path() / ("brumal-archive-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const uint64_t total = 50ull << 20;
    BenchDir tree = makeTree(200, 20, total);
    bytes = total;
    pack = (folder / "tree.pak").string();
    zip = (folder / "tree.zip").string();
    packNames = writePack(tree, pack);
    zipNames = writeZip(tree, zip);
    bigPack = (folder / "big.pak").string();
    writePack(makeTree(10000, 100, 10000ull * 1024), bigPack);
    flatPack = (folder / "flat.pak").string();
    writePack(makeTree(10000, 10000, 10000ull * 1024), flatPack);
    PHYSFS_init("archive_bench");
  }
  ~DataSet() {
    PHYSFS_deinit();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
};

DataSet& dataSet() {
  static DataSet set;
  return set;
}

// Both sides check once that they deliver the same bytes before anything is timed.
bool sameContents(benchmark::State& state) {
  DataSet& set = dataSet();
  PackArchive archive;
  if (!archive.open(set.pack) || !PHYSFS_mount(set.zip.c_str(), nullptr, 0)) {
    state.SkipWithError("cannot open the generated archives");
    return false;
  }
  bool same = set.packNames.size() == set.zipNames.size();
  for (size_t i = 0; same && i < set.packNames.size(); i += 37) {
    ByteBuffer buffer;
    PHYSFS_File* file = PHYSFS_openRead(set.zipNames[i].c_str());
    same = file && archive.readFile(set.packNames[i], buffer) && PHYSFS_fileLength(file) == buffer.size;
    if (same) {
      std::string other(static_cast<size_t>(buffer.size), '\0');
      same = PHYSFS_readBytes(file, &other[0], other.size()) == buffer.size &&
             std::memcmp(other.data(), buffer.data, other.size()) == 0;
    }
    if (file) {
      PHYSFS_close(file);
    }
  }
  PHYSFS_unmount(set.zip.c_str());
  if (!same) {
    state.SkipWithError("the pack and the zip disagree");
  }
  return same;
}

// Open, then every file by name, each into its own buffer as the resource loaders do.
void BM_PackOpenReadAll(benchmark::State& state) {
  DataSet& set = dataSet();
  if (!sameContents(state)) {
    return;
  }
  for (auto _ : state) {
    PackArchive archive;
    if (!archive.open(set.pack)) {
      state.SkipWithError("open failed");
      return;
    }
    for (const std::string& name : set.packNames) {
      ByteBuffer buffer;
      if (!archive.readFile(name, buffer)) {
        state.SkipWithError("read failed");
        return;
      }
      benchmark::DoNotOptimize(buffer.data[buffer.size / 2]);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set.bytes));
}

// The same with one buffer reused for every file.
void BM_PackOpenReadAllReused(benchmark::State& state) {
  DataSet& set = dataSet();
  ByteBuffer buffer;
  for (auto _ : state) {
    PackArchive archive;
    archive.open(set.pack);
    for (const std::string& name : set.packNames) {
      if (!archive.readFile(name, buffer)) {
        state.SkipWithError("read failed");
        return;
      }
      benchmark::DoNotOptimize(buffer.data[buffer.size / 2]);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set.bytes));
}

// PhysicsFS: mount the zip, then open, measure, allocate and read every file.
void BM_PhysfsMountReadAll(benchmark::State& state) {
  DataSet& set = dataSet();
  if (!sameContents(state)) {
    return;
  }
  for (auto _ : state) {
    if (!PHYSFS_mount(set.zip.c_str(), nullptr, 0)) {
      state.SkipWithError("mount failed");
      return;
    }
    for (const std::string& name : set.zipNames) {
      PHYSFS_File* file = PHYSFS_openRead(name.c_str());
      PHYSFS_sint64 length = file ? PHYSFS_fileLength(file) : -1;
      uint8_t* block = length >= 0 ? static_cast<uint8_t*>(std::malloc(static_cast<size_t>(length) + 1)) : nullptr;
      if (!block || PHYSFS_readBytes(file, block, static_cast<PHYSFS_uint64>(length)) != length) {
        state.SkipWithError("read failed");
        return;
      }
      benchmark::DoNotOptimize(block[length / 2]);
      std::free(block);
      PHYSFS_close(file);
    }
    PHYSFS_unmount(set.zip.c_str());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set.bytes));
}

// The same with one buffer reused for every file.
void BM_PhysfsMountReadAllReused(benchmark::State& state) {
  DataSet& set = dataSet();
  std::vector<uint8_t> block(64u << 20);
  for (auto _ : state) {
    PHYSFS_mount(set.zip.c_str(), nullptr, 0);
    for (const std::string& name : set.zipNames) {
      PHYSFS_File* file = PHYSFS_openRead(name.c_str());
      PHYSFS_sint64 length = file ? PHYSFS_fileLength(file) : -1;
      if (length < 0 || PHYSFS_readBytes(file, block.data(), static_cast<PHYSFS_uint64>(length)) != length) {
        state.SkipWithError("read failed");
        return;
      }
      benchmark::DoNotOptimize(block[static_cast<size_t>(length) / 2]);
      PHYSFS_close(file);
    }
    PHYSFS_unmount(set.zip.c_str());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * set.bytes));
}

// Opening a 10,000-entry archive: 100 directories of 100 files, and one flat directory.
void BM_PackOpen10k(benchmark::State& state) {
  DataSet& set = dataSet();
  const std::string& path = state.range(0) ? set.flatPack : set.bigPack;
  for (auto _ : state) {
    PackArchive archive;
    if (!archive.open(path)) {
      state.SkipWithError("open failed");
      return;
    }
    benchmark::DoNotOptimize(archive.entries.data());
  }
  PackArchive archive;
  archive.open(path);
  state.counters["entries"] = static_cast<double>(archive.entries.size());
}

}  // namespace

BENCHMARK(BM_PackOpenReadAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhysfsMountReadAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackOpenReadAllReused)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PhysfsMountReadAllReused)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackOpen10k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
