// Runs a fuzz target over its seed files and over damaged copies of them (every cut
// at a line end, and single bytes changed), so that the ordinary test run exercises
// the same entry point the fuzzer drives. Arguments: seed files.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
void feed(const std::string& bytes) {
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
}  // namespace

int main(int argc, char** argv) {
  size_t runs = 0;
  for (int a = 1; a < argc; ++a) {
    std::ifstream in(argv[a], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "cannot read %s\n", argv[a]);
      return 1;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string seed = ss.str();
    feed(seed);
    ++runs;
    // Truncations at line ends, about 150 spread over the seed.
    size_t lines = 0;
    for (char c : seed) lines += c == '\n';
    const size_t step = lines / 150 + 1;
    for (size_t cut = 0, n = 0; cut < seed.size(); ++cut)
      if (seed[cut] == '\n' && ++n % step == 0) {
        feed(seed.substr(0, cut));
        ++runs;
      }
    // Damaged bytes: digits, signs, line ends and high bytes in varied places.
    const char replacements[] = {'9', '-', '\n', '\xFF', '\0', 'x', '.'};
    uint32_t state = 12345;
    for (int i = 0; i < 150 && !seed.empty(); ++i) {
      state = state * 1103515245u + 12345u;
      std::string damaged = seed;
      damaged[(state >> 8) % seed.size()] = replacements[(state >> 4) % sizeof replacements];
      feed(damaged);
      ++runs;
    }
  }
  std::printf("%zu inputs read without a crash\n", runs);
  return 0;
}
