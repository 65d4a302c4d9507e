// Replays the fuzzers' inputs through the same entry points with the normal compiler and the
// test build's sanitizers: every input that ever crashed, hung or tripped a sanitizer
// (tests/corpus/regressions/<target>/), and every seed (tests/corpus/<target>/).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/fuzz/fuzz_entries.h"

namespace squish::fuzz {
namespace {

namespace fs = std::filesystem;

const fs::path corpusRoot = SQUISH_CORPUS_DIR;

std::vector<std::uint8_t> readBytes(const fs::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// Feeds every file of the folder, in name order so a failure repeats; the count fed.
std::size_t feedFolder(const FuzzEntry& entry, const fs::path& folder) {
  if (!fs::is_directory(folder)) return 0;
  std::vector<fs::path> files;
  for (const fs::directory_entry& item : fs::directory_iterator(folder)) {
    if (item.is_regular_file()) files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    const std::vector<std::uint8_t> bytes = readBytes(file);
    entry.feed(bytes);
  }
  return files.size();
}

class Replay : public ::testing::TestWithParam<FuzzEntry> {};

TEST_P(Replay, RegressionsAndSeedsRunClean) {
  const FuzzEntry& entry = GetParam();
  feedFolder(entry, corpusRoot / "regressions" / entry.name);
  EXPECT_GT(feedFolder(entry, corpusRoot / entry.name), 0u) << "no seeds for " << entry.name;
}

INSTANTIATE_TEST_SUITE_P(EveryTarget, Replay,
                         ::testing::ValuesIn(fuzzEntries().begin(), fuzzEntries().end()),
                         [](const ::testing::TestParamInfo<FuzzEntry>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace squish::fuzz
