// The SHA-256 rate of the platform's crypto (libcrypto natively, BCrypt in
// the Windows build, run under Wine), for the keyed download benchmark: the
// file's bytes are read into memory first and then hashed in the pieces a
// transfer hands to a ".tmp" (64 KiB up to one range of 524289 bytes, sizes
// taking turns), so that only the hashing is timed. Prints the digest, which
// must equal sha256sum's of the same file, and "key value" lines for
// bench/hash/run-hash-bench.
//
//   bench_hash FILE [PASSES]   (5 passes, the quickest counts)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/crypto.h"

namespace {

using namespace zentivo;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::vector<char> ReadAll(const char* path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
  std::vector<char> bytes;
  if (!file)
    return bytes;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const size_t n = std::fread(buffer.data(), 1, buffer.size(), file.get());
    bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
    if (n < buffer.size())
      return bytes;
  }
}

// A range's bytes reach the .tmp in pieces of any size up to the whole
// range; these are the sizes the pieces take in turn.
constexpr size_t kPieces[] = {64 << 10, 128 << 10, 256 << 10, 384 << 10, 512 << 10, 524289};

crypto::Sha256Digest HashInPieces(std::span<const char> bytes) {
  crypto::Sha256 hash;
  size_t turn = 0;
  while (!bytes.empty()) {
    const size_t n = std::min(bytes.size(), kPieces[turn++ % std::size(kPieces)]);
    hash.Update(bytes.first(n));
    bytes = bytes.subspan(n);
  }
  return hash.Finish();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: bench_hash FILE [PASSES]\n");
    return 2;
  }
  const int passes = argc == 3 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::vector<char> bytes = ReadAll(argv[1]);
  if (bytes.empty()) {
    std::fprintf(stderr, "bench_hash: can't read %s\n", argv[1]);
    return 1;
  }
  // The machine is shared: the quickest pass is the one least disturbed.
  double best = 0;
  crypto::Sha256Digest digest{};
  for (int i = 0; i < passes; ++i) {
    const auto start = std::chrono::steady_clock::now();
    digest = HashInPieces(bytes);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (i == 0 || seconds < best)
      best = seconds;
  }
  std::string hex;
  for (const uint8_t b : digest) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", b);
    hex += two;
  }
  const double mib = static_cast<double>(bytes.size()) / (1 << 20);
  std::printf("sha256 %s\n", hex.c_str());
  std::printf("mib %.1f\n", mib);
  std::printf("seconds %.4f\n", best);
  std::printf("mb_per_s %.1f\n", mib / best);
  return 0;
}
