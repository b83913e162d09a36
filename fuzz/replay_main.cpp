// Replay driver for the fuzz targets when they are not built with libFuzzer: feeds every file of
// the seed folder given as argument, then a fixed series of pseudo-random inputs (random bytes
// and mutated seeds), so CTest exercises each parser on garbage with every build.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  std::vector<std::vector<std::uint8_t>> seeds;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path path(argv[i]);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) continue;
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(path, ec)) {
      for (const auto& entry : std::filesystem::directory_iterator(path, ec))
        if (entry.is_regular_file()) files.push_back(entry.path());
    } else {
      files.push_back(path);
    }
    for (const auto& file : files) {
      std::ifstream in(file, std::ios::binary);
      seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  for (const auto& seed : seeds) LLVMFuzzerTestOneInput(seed.data(), seed.size());

  std::mt19937 random(12345);
  std::vector<std::uint8_t> input;
  for (int round = 0; round < 20000; ++round) {
    if (!seeds.empty() && round % 2 == 0) {
      input = seeds[random() % seeds.size()];
      const int edits = 1 + static_cast<int>(random() % 8);
      for (int e = 0; e < edits && !input.empty(); ++e) {
        const std::size_t at = random() % input.size();
        switch (random() % 4) {
          case 0: input[at] = static_cast<std::uint8_t>(random()); break;
          case 1: input.erase(input.begin() + static_cast<std::ptrdiff_t>(at)); break;
          case 2: input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::uint8_t>(random())); break;
          default: input.resize(at); break;
        }
      }
    } else {
      input.resize(random() % 2048);
      for (auto& byte : input) byte = static_cast<std::uint8_t>(random());
    }
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  std::printf("replayed %zu seeds and 20000 generated inputs\n", seeds.size());
  return 0;
}
