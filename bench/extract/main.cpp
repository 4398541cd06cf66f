// Extracts one archive of about 200 MB of mixed files with ExtractPackage and
// with `unzip -o -q`, each in a child process of its own so that its peak
// resident memory can be read, and prints both throughputs, their ratio and
// the peak RSS. The archive is made here, by `zip`, from generated files.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "install/extract_package.h"
#include "platform/fs.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

struct Run {
  double seconds = 0;
  double peak_rss_mib = 0;
  bool ok = false;
};

// Runs argv in a child and reports its wall time and peak resident memory.
Run Measure(const std::vector<std::string>& args) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Run r;
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.peak_rss_mib = usage.ru_maxrss / 1024.0;
  r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return r;
}

bool Sh(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

// Deterministic bytes: `text` gives word-like, well compressible data; else noise.
void WriteFile(const std::string& path, size_t size, uint32_t seed, bool text) {
  static const char* kWords[] = {"考试 ",     "exam ", "<item id=\"", "\">",
                                 "</item>\n", "答案 ", "question ",   "0123 ",
                                 "Zentivo ",  "章节 ", "练习 ",       "score="};
  std::ofstream out(path, std::ios::binary);
  std::string block;
  uint32_t x = seed * 2654435761u + 7;
  while (size > 0) {
    block.clear();
    while (block.size() < 64 * 1024) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      if (text) {
        block += kWords[x % 12];
      } else {
        block.push_back(static_cast<char>(x >> 24));
      }
    }
    const size_t n = std::min(size, block.size());
    out.write(block.data(), static_cast<std::streamsize>(n));
    size -= n;
  }
}

// A product-like tree: many small files, text and data of middling size,
// pictures and flash files that don't compress, and a few large ones.
uint64_t MakeTree(const std::string& root, int& files) {
  uint64_t total = 0;
  uint32_t seed = 1;
  auto add = [&](const std::string& rel, size_t size, bool text) {
    const std::string path = root + "/" + rel;
    zentivo::fs::MakeDirectories(path.substr(0, path.rfind('/')));
    WriteFile(path, size, seed++, text);
    total += size;
    ++files;
  };
  for (int i = 0; i < 3000; ++i)  // small: 1 to 16 KiB
    add("Menu/m" + std::to_string(i / 100) + "/item" + std::to_string(i) + ".xml",
        1024 + (i * 5237) % (15 * 1024), i % 3 != 0);
  for (int i = 0; i < 120; ++i)  // text and data, 64 KiB to 1.5 MiB
    add("data/part" + std::to_string(i) + ".dat", 64 * 1024 + (i * 104729) % (1400 * 1024), true);
  for (int i = 0; i < 90; ++i)  // pictures, flash: 0.5 to 2.5 MiB, no gain from deflate
    add("TestFlash/f" + std::to_string(i) + ".swf", 512 * 1024 + (i * 224737) % (2048 * 1024),
        false);
  add("DeskTutor.exe", 24 * 1024 * 1024, false);
  add("data/big.txt", 40 * 1024 * 1024, true);
  add("Images/atlas.bin", 30 * 1024 * 1024, false);
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  // Child mode: extract and exit, so the parent reads this process's peak RSS.
  if (argc == 4 && std::string(argv[1]) == "--extract") {
    try {
      zentivo::install::ExtractPackage(argv[2], argv[3], [] { return true; });
      return 0;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "extract failed: %s\n", e.what());
      return 1;
    }
  }
  const std::string work = argc > 1 ? argv[1] : "/tmp/zentivo-bench-extract";
  const std::string self = zentivo::fs::ModuleFileName();
  Sh("rm -rf '" + work + "'");
  zentivo::fs::MakeDirectories(work + "/src");
  int files = 0;
  std::printf("making the archive in %s ...\n", work.c_str());
  std::fflush(stdout);
  const uint64_t uncompressed = MakeTree(work + "/src", files);
  const std::string archive = work + "/bench.zip";
  if (!Sh("cd '" + work + "/src' && zip -q -r ../bench.zip .")) {
    std::fprintf(stderr, "zip failed\n");
    return 1;
  }
  Sh("rm -rf '" + work + "/src'");
  const double archive_mib = static_cast<double>(*zentivo::fs::FileSize(archive)) / kMiB;
  Sh("cat '" + archive + "' > /dev/null");  // both start from a warm cache

  // Two rounds; the better time of each counts.
  Run ours, theirs;
  for (int round = 0; round < 2; ++round) {
    Sh("rm -rf '" + work + "/ours' '" + work + "/unzip'");
    // The first to run leaves dirty pages for the second; take turns.
    const auto run_ours = [&] { return Measure({self, "--extract", archive, work + "/ours"}); };
    const auto run_unzip = [&] {
      return Measure({"unzip", "-o", "-q", archive, "-d", work + "/unzip"});
    };
    Run a, b;
    if (round == 0) {
      a = run_ours();
      b = run_unzip();
    } else {
      b = run_unzip();
      a = run_ours();
    }
    if (!a.ok || !b.ok) {
      std::fprintf(stderr, "an extraction failed (ours %d, unzip %d)\n", a.ok, b.ok);
      return 1;
    }
    if (round == 0 || a.seconds < ours.seconds)
      ours = a;
    if (round == 0 || b.seconds < theirs.seconds)
      theirs = b;
  }
  const bool same = Sh("diff -r -q '" + work + "/ours' '" + work + "/unzip' > /dev/null");

  const double mib = static_cast<double>(uncompressed) / kMiB;
  const double ours_rate = mib / ours.seconds, unzip_rate = mib / theirs.seconds;
  std::printf("archive: %.1f MiB, %d files, %.1f MiB unpacked\n", archive_mib, files, mib);
  std::printf("ExtractPackage: %6.2f s  %7.1f MiB/s unpacked  peak RSS %5.1f MiB\n", ours.seconds,
              ours_rate, ours.peak_rss_mib);
  std::printf("unzip -o -q:    %6.2f s  %7.1f MiB/s unpacked  peak RSS %5.1f MiB\n", theirs.seconds,
              unzip_rate, theirs.peak_rss_mib);
  std::printf("ratio ExtractPackage / unzip: %.2f (goal >= 1.0)\n", ours_rate / unzip_rate);
  std::printf("peak RSS %.1f MiB (goal <= 32 MiB)\n", ours.peak_rss_mib);
  std::printf("trees identical: %s\n", same ? "yes" : "NO");
  Sh("rm -rf '" + work + "'");
  return same ? 0 : 1;
}
