// Events through the dispatcher, in-process, with a host that only counts what it is asked to
// send. Group messages: no network, they carry no picture and claim nothing. Joins and claims
// against records of a long-lived group (BM_Join/<members>, BM_Claim/<register entries>), their
// orders placed with a loopback 亿乐 stand-in that answers at once.
//
//   bench_events                 the benchmarks
//   bench_events --once=NAME     one event of benchmark NAME between two marker lines on stderr
//                                ("events-begin", "events-end"), for counting file accesses:
//                                strace -e trace=openat,write ./bench_events --once=Quiet
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "config/plugin_dir.h"
#include "events/dispatch_event.h"
#include "events/join_records.h"
#include "hostapi/host_api.h"
#include "stubs/community_sites.h"
#include "stubs/qq_services.h"
#include "text/date_text.h"
#include "text/gbk.h"

namespace {

using text::gbk;

class CountingHost : public hostapi::HostApi {
 public:
  std::atomic<long> sent{0};
  void SendMsg(const std::string&, int32_t, const std::string&, const std::string&, const std::string&,
               int32_t) override {
    ++sent;
  }
  void SendXML(const std::string&, int32_t, int32_t, const std::string&, const std::string&, const std::string&,
               int32_t) override {
    ++sent;
  }
  void HandleEvent(const std::string&, int32_t, const std::string&, const std::string&, int32_t,
                   const std::string&) override {}
  int32_t GetObjLevel(const std::string&, const std::string&) override { return 0; }
  std::string GetSign(const std::string&, const std::string&) override { return {}; }
  void ShutUP(const std::string&, const std::string&, const std::string&, int32_t) override {}
  void KickGroupMBR(const std::string&, const std::string&, const std::string&, bool) override {}
  void WithdrawMsg(const std::string&, const std::string&, const std::string&, const std::string&) override {}
  std::string GetPicLink(const std::string&, int32_t, const std::string&, const std::string&) override { return {}; }
  void OutPutLog(const std::string&) override {}
  std::string GetQQList() override { return {}; }
  std::string GetGroupList(const std::string&) override { return {}; }
  std::string GetNick(const std::string&, const std::string&) override { return {}; }
};

// A plug-in folder whose core switch is "假" and whose group 20002 has the built-in profile
// (moderation, picture check and fuzzy keyword replies on), optionally with another library.
class Installation {
 public:
  explicit Installation(const std::string& library = {}, const std::string& words = {}) {
    folder_ = (std::filesystem::temp_directory_path() / "irevents-bench-XXXXXX").string();
    if (!::mkdtemp(folder_.data())) return;
    config::setPluginDir(folder_);
    config::WriteValue(config::CorePath(), gbk("软件参数"), gbk("是否所有群使用默认配置"), gbk("假"));
    config::EnsureProfile("20002");
    if (!library.empty()) config::WriteValue(config::ProfilePath("20002"), gbk("关键词回复"), gbk("词库"), library);
    if (!words.empty()) config::WriteValue(config::ProfilePath("20002"), gbk("群管系统"), gbk("禁言关键词"), words);
    host_ = std::make_shared<CountingHost>();
    hostapi::setHostApi(host_);
  }
  ~Installation() {
    hostapi::setHostApi(nullptr);
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  bool ok() const { return host_ != nullptr; }
  long sent() const { return host_ ? host_->sent.load() : 0; }

 private:
  std::string folder_;
  std::shared_ptr<CountingHost> host_;
};

events::HostEvent groupMessage(const std::string& gbkText) {
  events::HostEvent e;
  e.robotQQ = "10000";
  e.kind = 2;
  e.group = "20002";
  e.activeQQ = "10001";
  e.message = gbkText;
  e.messageNo = "1";
  e.messageId = "2";
  return e;
}

// A library of 10,239 bytes, the most a value can hold, whose only matching entry is the last.
std::string fullLibrary() {
  const std::string last = gbk("最后一条---答复[/n]第二行");
  const std::string separator = gbk("[换行]");
  std::string library;
  for (int i = 0;; ++i) {
    const std::string entry = gbk("关键词") + std::to_string(i) + "---" + gbk("回复内容") + std::to_string(i) + separator;
    if (library.size() + entry.size() + separator.size() + last.size() > config::kMaxValueBytes) break;
    library += entry;
  }
  // A filler entry without a reply tops the value up to its limit; the scan passes over it.
  library += std::string(config::kMaxValueBytes - library.size() - separator.size() - last.size(), 'x');
  library += separator + last;
  return library;
}

void BM_QuietGroupMessage(benchmark::State& state) {
  Installation install;
  if (!install.ok()) return state.SkipWithError("no temporary folder");
  const events::HostEvent e = groupMessage(gbk("大家好，今天天气不错"));
  for (auto _ : state) events::dispatchEvent(e);
  if (install.sent() != 0) state.SkipWithError("a quiet message was answered");
}
BENCHMARK(BM_QuietGroupMessage);

// The same with forbidden words configured, so that the word check reads all its settings.
void BM_QuietGroupMessageWithWords(benchmark::State& state) {
  Installation install({}, gbk("广告#代刷#加群"));
  if (!install.ok()) return state.SkipWithError("no temporary folder");
  const events::HostEvent e = groupMessage(gbk("大家好，今天天气不错"));
  for (auto _ : state) events::dispatchEvent(e);
  if (install.sent() != 0) state.SkipWithError("a quiet message was answered");
}
BENCHMARK(BM_QuietGroupMessageWithWords);

void BM_FuzzyAnswerFromFullLibrary(benchmark::State& state) {
  Installation install(fullLibrary());
  if (!install.ok()) return state.SkipWithError("no temporary folder");
  const events::HostEvent e = groupMessage(gbk("请问最后一条是什么"));
  for (auto _ : state) events::dispatchEvent(e);
  if (install.sent() != static_cast<long>(state.iterations())) state.SkipWithError("not answered once per message");
}
BENCHMARK(BM_FuzzyAnswerFromFullLibrary);

// What one settings read costs in that profile of 11 KB: the floor under every read an event makes.
void BM_OneReadFromFullProfile(benchmark::State& state) {
  Installation install(fullLibrary());
  if (!install.ok()) return state.SkipWithError("no temporary folder");
  const std::string path = config::ProfilePath("20002");
  const std::string section = gbk("软件参数"), key = gbk("xml");
  for (auto _ : state) benchmark::DoNotOptimize(config::ReadValue(path, section, key));
}
BENCHMARK(BM_OneReadFromFullProfile);

// The outside services of a join or a claim on loopback: the order site, nicknames and avatars.
struct LoopbackServices {
  stubs::YileSite site{"alice", "secret"};
  stubs::StubServer qq;
  stubs::PortraitService portrait{qq};
  stubs::AvatarService avatar{qq};
};

// Group 20002 wired to the stand-ins, with the daily claim on.
void wireOrders(const LoopbackServices& services) {
  const stubs::YileSite& site = services.site;
  config::WriteValue(config::CorePath(), gbk("服务地址"), gbk("昵称服务"), services.qq.baseUrl());
  config::WriteValue(config::CorePath(), gbk("服务地址"), gbk("头像服务"), services.qq.baseUrl());
  const std::string profile = config::ProfilePath("20002");
  config::WriteValue(profile, gbk("对接参数"), gbk("社区类型"), "0");
  config::WriteValue(profile, gbk("亿乐社区"), gbk("地址"), site.baseUrl());
  config::WriteValue(profile, gbk("亿乐社区"), gbk("商品id"), "77");
  config::WriteValue(profile, gbk("亿乐社区"), gbk("账号"), "alice");
  config::WriteValue(profile, gbk("亿乐社区"), gbk("密码"), "secret");
  config::WriteValue(profile, gbk("软件参数"), gbk("是否开启每日领取"), gbk("真"));
}

// The records of `members` earlier arrivals, as the plug-in writes them.
void writeJoinRecords(long members) {
  std::string joins, stats;
  const std::string joined = gbk("已入群号=20002\r\n上级QQ=无\r\n");
  const std::string counted = gbk("拉入人数=1\r\n退群人数=0\r\n获得名片赞=100\r\n上级QQ=无\r\n");
  for (long i = 0; i < members; ++i) {
    const std::string header = "[" + std::to_string(100000000 + i) + "]\r\n";
    joins += header + joined;
    stats += header + counted;
  }
  config::writeWholeFile(events::joinRecordsPath("20002"), joins);
  config::writeWholeFile(events::inviteStatsPath("20002"), stats);
}

// A register of `entries` claims: 200 a day on the days before today.
void writeClaimRegister(long entries) {
  std::string reg;
  text::LocalTime day{2021, 1, 1};
  for (long i = 0; i < entries; ++i) {
    if (i % 200 == 0) {
      reg += "[" + text::dateText(day) + "]\r\n";
      if (++day.day > 28) day.day = 1, day.month = day.month % 12 + 1, day.year += day.month == 1;
    }
    reg += std::to_string(100000000 + i) + "=1\r\n";
  }
  config::writeWholeFile(config::RecordsPath("20002", gbk("每日领取.ini")), reg);
}

void BM_Join(benchmark::State& state) {
  Installation install;
  if (!install.ok()) return state.SkipWithError("no temporary folder");
  LoopbackServices services;
  wireOrders(services);
  writeJoinRecords(state.range(0));
  events::HostEvent e = groupMessage({});
  e.kind = 212;
  long next = 900000000;
  for (auto _ : state) {
    e.passiveQQ = std::to_string(next++);
    events::dispatchEvent(e);
  }
  if (install.sent() != static_cast<long>(state.iterations())) state.SkipWithError("not answered once per join");
}
BENCHMARK(BM_Join)->Arg(0)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Claim(benchmark::State& state) {
  Installation install;
  if (!install.ok()) return state.SkipWithError("no temporary folder");
  LoopbackServices services;
  wireOrders(services);
  writeClaimRegister(state.range(0));
  events::HostEvent e = groupMessage(gbk("领取名片赞"));
  long next = 900000000;
  for (auto _ : state) {
    e.activeQQ = std::to_string(next++);
    events::dispatchEvent(e);
  }
  if (install.sent() != static_cast<long>(state.iterations())) state.SkipWithError("not answered once per claim");
}
BENCHMARK(BM_Claim)->Arg(0)->Arg(1000)->Arg(219000)->Unit(benchmark::kMillisecond)->UseRealTime();

int runOnce(const std::string& name) {
  std::unique_ptr<Installation> install;
  events::HostEvent e;
  if (name == "Quiet") {
    install = std::make_unique<Installation>();
    e = groupMessage(gbk("大家好，今天天气不错"));
  } else if (name == "QuietWithWords") {
    install = std::make_unique<Installation>(std::string(), gbk("广告#代刷#加群"));
    e = groupMessage(gbk("大家好，今天天气不错"));
  } else if (name == "FuzzyFull") {
    install = std::make_unique<Installation>(fullLibrary());
    e = groupMessage(gbk("请问最后一条是什么"));
  } else {
    std::fprintf(stderr, "unknown event %s (Quiet, QuietWithWords, FuzzyFull)\n", name.c_str());
    return 2;
  }
  std::fputs("events-begin\n", stderr);
  events::dispatchEvent(e);
  std::fputs("events-end\n", stderr);
  return install->sent() == (name == "FuzzyFull" ? 1 : 0) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--once=", 7) == 0) return runOnce(argv[i] + 7);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
