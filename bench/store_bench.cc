// The start page and AddEntry against what SQLite alone costs for the same
// work.
//
//   store_bench [benchmark flags]
//
// For 1,000, 10,000 and 100,000 synthetic entries it times BuildHomePage
// and its floor: the bare scan of the same select with a no-op callback plus
// one fwrite of as many bytes as the page has. AddEntry on a 100,000-entry
// database is timed against a bare insert. A summary follows: both times,
// their ratio, the page size, the growth of the peak resident memory while
// the page is built once, and the peak of the whole run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "codec/hex.h"
#include "codec/sjis.h"
#include "pages/home_page.h"
#include "store/store.h"

namespace kelvanis {
namespace {

const char kSiteUrl[] = "http://127.0.0.1:8080/";

std::string& BenchFolder() {
  static std::string folder = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kelvanis-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern + "/";
  }();
  return folder;
}

std::string Folder(int entries) { return BenchFolder() + std::to_string(entries) + "/"; }

// Japanese text of `chars` characters: kana and kanji, a few spaces.
std::string JapaneseText(std::mt19937& random, int chars) {
  static const std::vector<std::string> pool = [] {
    std::vector<std::string> sjis;
    const char* utf8 =
        "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわを"
        "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン"
        "日本語東京大阪京都北海道沖縄山川海空雨雪風花鳥月星道路駅橋寺神社城公園旅行記録写真";
    std::u16string units = Utf8ToUtf16(utf8);
    for (char16_t unit : units) sjis.push_back(Utf16ToSjis(std::u16string(1, unit)));
    return sjis;
  }();
  std::string text;
  for (int i = 0; i < chars; ++i) {
    if (i % 9 == 8) {
      text += ' ';
    } else {
      text += pool[random() % pool.size()];
    }
  }
  return text;
}

// A program folder with kelvanis.db holding `entries` synthetic entries.
void MakeFolder(int entries) {
  const std::string dir = Folder(entries);
  if (std::filesystem::exists(dir + "kelvanis.db")) return;
  std::filesystem::create_directories(dir + "page");
  sqlite3* db = nullptr;
  sqlite3_open((dir + "kelvanis.db").c_str(), &db);
  sqlite3_exec(db,
               "create table mcnt (id integer primary key, title text, des text, keywd text, "
               "edate text, rout text); begin",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "insert into mcnt values (?,?,?,?,?,?)", -1, &insert, nullptr);
  std::mt19937 random(entries);
  const std::time_t start = 1700000000;
  for (int id = 1; id <= entries; ++id) {
    const std::string texts[] = {HexEncode(JapaneseText(random, 30)),
                                 HexEncode(JapaneseText(random, 200)),
                                 HexEncode(JapaneseText(random, 20)),
                                 DateText(start + static_cast<std::time_t>(random() % 100000000)),
                                 HexEncode(JapaneseText(random, 100))};
    sqlite3_reset(insert);
    sqlite3_bind_int(insert, 1, id);
    for (int i = 0; i < 5; ++i) {
      sqlite3_bind_text(insert, i + 2, texts[i].data(), static_cast<int>(texts[i].size()),
                        SQLITE_TRANSIENT);
    }
    sqlite3_step(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

void BuildPage(int entries) {
  const std::string dir = Folder(entries);
  BuildHomePage(dir, kSiteUrl, dir + "page/home.html", "", "");
}

size_t PageBytes(int entries) {
  return std::filesystem::file_size(Folder(entries) + "page/home.html");
}

void BM_HomePage(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  MakeFolder(entries);
  for (auto _ : state) BuildPage(entries);
  state.counters["page_MB"] = static_cast<double>(PageBytes(entries)) / 1e6;
}

// The same select with a callback that does nothing, then one fwrite of the
// page's size.
void BM_Floor(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  MakeFolder(entries);
  BuildPage(entries);
  const std::string dir = Folder(entries);
  const std::string page(PageBytes(entries), 'x');
  const std::string sql = EntryQuery("ALL");
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((dir + "kelvanis.db").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(
        db, sql.c_str(), [](void*, int, char**, char**) { return 0; }, nullptr, nullptr);
    sqlite3_close(db);
    std::FILE* file = std::fopen((dir + "page/floor.html").c_str(), "wb");
    std::fwrite(page.data(), 1, page.size(), file);
    std::fclose(file);
  }
}

const int kAddEntries = 100000;

std::string AddFolder() {
  const std::string dir = BenchFolder() + "add/";
  if (!std::filesystem::exists(dir)) {
    MakeFolder(kAddEntries);
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(Folder(kAddEntries) + "kelvanis.db", dir + "kelvanis.db");
  }
  return dir;
}

const char kPost[] =
    "title=\xE6\x96\xB0\xE3\x81\x97\xE3\x81\x84\xE8\xA8\x98\xE9\x8C\xB2&desc=\xE8\xAA\xAC\xE6\x98"
    "\x8E&keywd=\xE6\x97\x85\xE8\xA1\x8C&rout=\xE9\x81\x93";

void BM_AddEntry(benchmark::State& state) {
  const std::string dir = AddFolder();
  for (auto _ : state) {
    if (AddEntry(dir, kPost) < 0) state.SkipWithError("AddEntry failed");
  }
}

// One insert statement on a connection of its own, as AddEntry's own open
// and close are part of what it costs.
void BM_BareInsert(benchmark::State& state) {
  const std::string dir = AddFolder();
  static long long id = 10000000;  // the function runs several times
  const std::string values = ",'" + HexEncode(Utf8ToSjis("新しい記録")) + "','" +
                             HexEncode(Utf8ToSjis("説明")) + "','" + HexEncode(Utf8ToSjis("旅行")) +
                             "','2024/01/01 00:00:00','" + HexEncode(Utf8ToSjis("道")) + "')";
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((dir + "kelvanis.db").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const std::string sql =
        "insert into mcnt (id,title,des,keywd,edate,rout) values(" + std::to_string(++id) + values;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
      state.SkipWithError("insert failed");
    }
    sqlite3_close(db);
  }
}

// Several repetitions each; the summary takes the fastest, which is the
// least disturbed by other work on the machine.
BENCHMARK(BM_HomePage)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5);
BENCHMARK(BM_Floor)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5);
BENCHMARK(BM_AddEntry)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_BareInsert)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Collects the fastest repetition of each benchmark, real and CPU time.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      std::string name = run.run_name.function_name;
      if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
      Keep(&real_[name], run.GetAdjustedRealTime());
      Keep(&cpu_[name], run.GetAdjustedCPUTime());
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Real(const std::string& name) const { return Find(real_, name); }
  double Cpu(const std::string& name) const { return Find(cpu_, name); }

 private:
  static void Keep(double* fastest, double ms) {
    if (*fastest == 0 || ms < *fastest) *fastest = ms;
  }
  static double Find(const std::map<std::string, double>& times, const std::string& name) {
    auto it = times.find(name);
    return it == times.end() ? 0 : it->second;
  }
  std::map<std::string, double> real_, cpu_;
};

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
long StatusKb(const char* field) {
  std::FILE* file = std::fopen("/proc/self/status", "r");
  if (file == nullptr) return -1;
  char line[256];
  long kb = -1;
  const size_t length = std::strlen(field);
  while (std::fgets(line, sizeof line, file) != nullptr) {
    if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
      kb = std::atol(line + length + 1);
    }
  }
  std::fclose(file);
  return kb;
}

// The growth of the peak resident memory, in kB, while the page for
// `entries` is built once: the peak is reset to the present size first
// (/proc/self/clear_refs).
long PageBuildPeakKb(int entries) {
  std::FILE* clear = std::fopen("/proc/self/clear_refs", "w");
  if (clear == nullptr) return -1;
  std::fputs("5", clear);
  std::fclose(clear);
  const long before = StatusKb("VmRSS");
  BuildPage(entries);
  return StatusKb("VmHWM") - before;
}

long MaxRssKb() {
  struct rusage usage;
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace
}  // namespace kelvanis

int main(int argc, char** argv) {
  using namespace kelvanis;
  benchmark::Initialize(&argc, argv);
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\nfastest of 5 repetitions, milliseconds (real / CPU)\n");
  std::printf("%9s %16s %16s %13s %9s %15s\n", "entries", "page", "floor", "ratio", "page MB",
              "build peak MB");
  for (int entries : {1000, 10000, 100000}) {
    const std::string arg = "/" + std::to_string(entries);
    const std::string page = "BM_HomePage" + arg, floor = "BM_Floor" + arg;
    if (reporter.Real(page) == 0 || reporter.Real(floor) == 0) continue;
    const long peak = PageBuildPeakKb(entries);
    std::printf("%9d %8.1f / %5.1f %8.1f / %5.1f %6.2f / %4.2f %9.1f %15.1f\n", entries,
                reporter.Real(page), reporter.Cpu(page), reporter.Real(floor), reporter.Cpu(floor),
                reporter.Real(page) / reporter.Real(floor),
                reporter.Cpu(page) / reporter.Cpu(floor),
                static_cast<double>(PageBytes(entries)) / 1e6, static_cast<double>(peak) / 1024);
  }
  std::printf("peak resident memory of the whole run (ru_maxrss): %.1f MB\n",
              static_cast<double>(MaxRssKb()) / 1024);
  const double add = reporter.Real("BM_AddEntry"), insert = reporter.Real("BM_BareInsert");
  if (add > 0 && insert > 0) {
    std::printf(
        "AddEntry on %d entries: %.2f ms (CPU %.2f); bare insert: %.2f ms (CPU %.2f); "
        "ratio %.2f\n",
        kAddEntries, add, reporter.Cpu("BM_AddEntry"), insert, reporter.Cpu("BM_BareInsert"),
        add / insert);
  }
  std::error_code ignored;
  std::filesystem::remove_all(BenchFolder(), ignored);
  benchmark::Shutdown();
  return 0;
}
