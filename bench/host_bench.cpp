// IR_Event through the built library's export: a group message (kind 2) for a robot whose
// PluginDir is fresh, so every feature finds its settings absent and falls back.
#include <benchmark/benchmark.h>

#include "support/plugin_loader.h"
#include "support/recording_host.h"
#include "text/gbk.h"

namespace {

void BM_GroupMessageThroughIrEvent(benchmark::State& state) {
  support::host().clear();
  auto plugin = support::loadPlugin();
  plugin->create();
  const std::string message = text::gbk("大家好，今天天气不错");
  std::size_t n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        plugin->event("10000", 2, 0, "20002", "10001", "", message.c_str(), "1", "2", "", "", 0));
    if (++n % 4096 == 0) support::host().clearCalls();  // keep the record from growing without end
  }
  state.SetItemsProcessed(static_cast<int64_t>(n));
}
BENCHMARK(BM_GroupMessageThroughIrEvent);

}  // namespace

BENCHMARK_MAIN();
