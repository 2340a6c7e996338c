// The settings window offscreen: creation to first paint, one profile load over every control,
// one keystroke in the keyword library box holding a full-size library, key to file, and a goods
// list of 10,000 goods from a loopback site stand-in, press to filled chooser.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "config/config_store.h"
#include "config/plugin_dir.h"
#include "gifting/goods_list.h"
#include "stubs/community_sites.h"
#include "text/gbk.h"
#include "ui/link_label.h"
#include "ui/settings_window.h"

namespace {

std::string freshPluginDir() {
  std::string folder = (std::filesystem::temp_directory_path() / "irui-bench-XXXXXX").string();
  if (!::mkdtemp(folder.data())) return {};
  const std::string dir = folder + "/plugin/朔禾引流插件/";
  config::setPluginDir(dir);
  return folder;
}

// No host is bound and the robot QQ is empty, so the panels make no network request.
void BM_WindowCreationToFirstPaint(benchmark::State& state) {
  const std::string folder = freshPluginDir();
  for (auto _ : state) {
    ui::SettingsWindow window;
    window.show();
    QImage picture = window.grab().toImage();  // the whole window painted once
    benchmark::DoNotOptimize(picture);
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_WindowCreationToFirstPaint)->Unit(benchmark::kMillisecond);

void BM_LoadProfile(benchmark::State& state) {
  const std::string folder = freshPluginDir();
  ui::SettingsWindow window;
  for (auto _ : state) window.LoadProfile();
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoadProfile)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeInAFullLibrary(benchmark::State& state) {
  const std::string folder = freshPluginDir();
  ui::SettingsWindow window;
  auto* library = window.control<QPlainTextEdit>("编辑框17");
  // 10,239 bytes once stored: ASCII entries, so a character is a byte.
  std::string entries;
  while (entries.size() < 10200) entries += "keyword---reply text\n";
  entries.resize(10238);
  library->setPlainText(QString::fromStdString(entries));
  library->moveCursor(QTextCursor::End);
  bool add = true;
  for (auto _ : state) {
    // One key typed or taken back, so the stored value stays at its size.
    QTest::keyClick(library, add ? Qt::Key_X : Qt::Key_Backspace);
    add = !add;
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_KeystrokeInAFullLibrary)->Unit(benchmark::kMicrosecond);

std::vector<stubs::SiteGoods> manyGoods(int count) {
  std::vector<stubs::SiteGoods> goods;
  for (int i = 0; i < count; ++i)
    goods.push_back({std::to_string(1000 + i), text::gbk("QQ名片赞 ") + std::to_string(i) + text::gbk("个（秒到）"),
                     std::to_string(i % 5)});
  return goods;
}

// One press of the fetch link: the GET, the decoding and matching of the reply, the chooser filled.
template <class Site>
void fetchGoodsPage(benchmark::State& state, const char* addressBox, const char* link, const char* chooser) {
  const std::string folder = freshPluginDir();
  Site site("a", "p");
  site.setGoods(manyGoods(int(state.range(0))));
  ui::SettingsWindow window;
  window.show();
  window.control<QLineEdit>(addressBox)->setText(QString::fromStdString(site.baseUrl()));
  auto* press = window.control<ui::LinkLabel>(link);
  auto* box = window.control<QComboBox>(chooser);
  for (auto _ : state) {
    QTest::mousePress(press, Qt::LeftButton);
    if (box->count() != state.range(0)) state.SkipWithError("the chooser was not filled");
  }
  std::filesystem::remove_all(folder);
}

void BM_YileGoodsList(benchmark::State& state) {
  fetchGoodsPage<stubs::YileSite>(state, "yl_1", "超级链接框12", "组合框3");
}
BENCHMARK(BM_YileGoodsList)->Arg(10000)->Unit(benchmark::kMillisecond);

// The same without the window: request, decoding and matching only.
void BM_YileGoodsListWithoutWindow(benchmark::State& state) {
  stubs::YileSite site("a", "p");
  site.setGoods(manyGoods(int(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(gifting::fetchYileGoods(site.baseUrl()));
}
BENCHMARK(BM_YileGoodsListWithoutWindow)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_JiuwuGoodsPage(benchmark::State& state) {
  fetchGoodsPage<stubs::JiuwuSite>(state, "jw_1_1", "超级链接框14", "组合框4");
}
BENCHMARK(BM_JiuwuGoodsPage)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
