// One profile read as every event does it: open the file, find the key, close.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "config/plugin_dir.h"
#include "text/gbk.h"

namespace {

void BM_ReadValueFromBuiltinProfile(benchmark::State& state) {
  std::string folder = (std::filesystem::temp_directory_path() / "irconfig-bench-XXXXXX").string();
  if (!::mkdtemp(folder.data())) {
    state.SkipWithError("no temporary folder");
    return;
  }
  config::setPluginDir(folder);
  config::EnsureProfile(config::defaultFolder());
  const std::string path = config::ProfilePath(config::defaultFolder());
  // A key near the end of the file, so the read walks most of it.
  const std::string section = text::gbk("名片赞数量");
  const std::string key = text::gbk("每日领取");
  for (auto _ : state) {
    benchmark::DoNotOptimize(config::ReadValue(path, section, key));
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_ReadValueFromBuiltinProfile);

}  // namespace

BENCHMARK_MAIN();
