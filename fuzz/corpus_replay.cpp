// A fuzz target without a fuzzing engine: runs the target once on every file
// of the folders given, in name order, so that a target whose checks no longer
// agree with the code fails in the ordinary test run.
//   TARGET_replay FOLDER...
// Each input is a buffer of exactly its file's size, as the fuzzer hands it
// over, so the sanitizers see a read past its end.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Defined only by targets that set something up once per process.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::vector<std::filesystem::path> InputsIn(const char* folder, std::error_code& error) {
  std::vector<std::filesystem::path> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

bool Replay(const std::filesystem::path& input) {
  std::error_code error;
  auto size = static_cast<size_t>(std::filesystem::file_size(input, error));
  std::ifstream file(input, std::ios::binary);
  if (error || !file) return false;
  auto data = std::make_unique<uint8_t[]>(size);
  if (!file.read(reinterpret_cast<char*>(data.get()), static_cast<std::streamsize>(size)))
    return false;
  std::fprintf(stderr, "replaying %s (%zu bytes)\n", input.c_str(), size);
  LLVMFuzzerTestOneInput(data.get(), size);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    std::error_code error;
    std::vector<std::filesystem::path> inputs = InputsIn(argv[i], error);
    if (error) {
      std::fprintf(stderr, "cannot list %s: %s\n", argv[i], error.message().c_str());
      return 1;
    }
    for (const auto& input : inputs) {
      if (!Replay(input)) {
        std::fprintf(stderr, "cannot read %s\n", input.c_str());
        return 1;
      }
      ++replayed;
    }
  }
  // A replay of nothing would pass whatever the target checks.
  if (replayed == 0) {
    std::fprintf(stderr, "no inputs to replay\n");
    return 1;
  }
  std::fprintf(stderr, "%zu inputs replayed\n", replayed);
  return 0;
}
