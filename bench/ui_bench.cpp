// The settings window offscreen: creation to first paint, one profile load over every control,
// and one keystroke in the keyword library box holding a full-size library, key to file.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "config/config_store.h"
#include "config/plugin_dir.h"
#include "text/gbk.h"
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

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
