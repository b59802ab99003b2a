// Throughput of the codecs against the system's own tools, on one mebibyte
// of mixed Japanese and ASCII text:
//   Utf8ToSjis / SjisToUtf8 against glibc iconv converting the whole text in
//   one call into a ready buffer;
//   HexEncode / HexDecode against memcpy of the same bytes. HexEncode takes
//   at most 1024 bytes, so the text goes through in 1024-byte values, one
//   call each, and memcpy copies the same 1024-byte values one call each.
// All rates count bytes of the plain text (UTF-8 for the first and the
// UTF-8 iconv run, Shift_JIS for the rest). After the runs, a summary gives
// the ratios computed from this same run.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "codec/hex.h"
#include "codec/sjis.h"

namespace {

using namespace kelvanis;

constexpr size_t kTextBytes = 1 << 20;

// Roughly half of the bytes ASCII words and punctuation, half hiragana,
// katakana and kanji, in lines of some 80 bytes. Every character maps to
// code page 932, so iconv converts the whole text.
const std::string& Utf8Text() {
  static const std::string text = [] {
    std::mt19937 random(932);
    auto pick = [&](int low, int high) {
      return std::uniform_int_distribution<int>(low, high)(random);
    };
    auto sjis_char = [&](int lead_low, int lead_high, int trail_low, int trail_high) {
      const std::string code{static_cast<char>(pick(lead_low, lead_high)),
                             static_cast<char>(pick(trail_low, trail_high))};
      return SjisToUtf8(code);
    };
    std::string out;
    size_t line = 0;
    while (out.size() < kTextBytes) {
      const size_t before = out.size();
      switch (pick(0, 5)) {
        case 0:
        case 1:
          for (int i = pick(2, 9); i > 0; --i) out += static_cast<char>(pick('a', 'z'));
          out += ' ';
          break;
        case 2:
          for (int i = pick(2, 6); i > 0; --i) out += sjis_char(0x82, 0x82, 0x9F, 0xF1);
          break;
        case 3:
          for (int i = pick(2, 6); i > 0; --i) out += sjis_char(0x83, 0x83, 0x40, 0x7E);
          break;
        default:
          for (int i = pick(1, 4); i > 0; --i) out += sjis_char(0x88, 0x97, 0x9F, 0xFC);
          out += "\xe3\x80\x82";  // ideographic full stop
          break;
      }
      line += out.size() - before;
      if (line > 80) {
        out += '\n';
        line = 0;
      }
    }
    // Cut at a character boundary at or below one mebibyte.
    size_t end = kTextBytes;
    while ((static_cast<unsigned char>(out[end]) & 0xC0) == 0x80) --end;
    out.resize(end);
    return out;
  }();
  return text;
}

const std::string& SjisText() {
  static const std::string text = Utf8ToSjis(Utf8Text());
  return text;
}

std::vector<std::string_view> Chunks(const std::string& text) {
  std::vector<std::string_view> chunks;
  for (size_t at = 0; at < text.size(); at += kMaxValueBytes) {
    chunks.push_back(std::string_view(text).substr(at, kMaxValueBytes));
  }
  return chunks;
}

// glibc's converter for one direction, opened once.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of `in` into `out`; returns the bytes written, or -1.
  long Convert(const std::string& in, std::vector<char>& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* in_ptr = const_cast<char*>(in.data());
    size_t in_left = in.size();
    char* out_ptr = out.data();
    size_t out_left = out.size();
    if (iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<size_t>(-1)) return -1;
    return static_cast<long>(out.size() - out_left);
  }

 private:
  iconv_t cd_;
};

void ConvertWithIconv(benchmark::State& state, const char* to, const char* from,
                      const std::string& in) {
  Iconv cd(to, from);
  if (!cd.ok()) {
    state.SkipWithError("iconv_open failed");
    return;
  }
  std::vector<char> out(3 * in.size() + 16);
  for (auto _ : state) {
    if (cd.Convert(in, out) < 0) {
      state.SkipWithError("iconv failed");
      return;
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}

void BM_Utf8ToSjis(benchmark::State& state) {
  const std::string& in = Utf8Text();
  for (auto _ : state) {
    std::string out = Utf8ToSjis(in);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}

void BM_IconvUtf8ToCp932(benchmark::State& state) {
  ConvertWithIconv(state, "CP932", "UTF-8", Utf8Text());
}

void BM_SjisToUtf8(benchmark::State& state) {
  const std::string& in = SjisText();
  for (auto _ : state) {
    std::string out = SjisToUtf8(in);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}

void BM_IconvCp932ToUtf8(benchmark::State& state) {
  ConvertWithIconv(state, "UTF-8", "CP932", SjisText());
}

void BM_HexEncode(benchmark::State& state) {
  const std::vector<std::string_view> chunks = Chunks(SjisText());
  for (auto _ : state) {
    for (std::string_view chunk : chunks) {
      std::string hex = HexEncode(chunk);
      benchmark::DoNotOptimize(hex.data());
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(SjisText().size()));
}

void BM_HexDecode(benchmark::State& state) {
  std::vector<std::string> hex;
  for (std::string_view chunk : Chunks(SjisText())) hex.push_back(HexEncode(chunk));
  for (auto _ : state) {
    for (const std::string& h : hex) {
      std::string bytes = HexDecode(h);
      benchmark::DoNotOptimize(bytes.data());
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(SjisText().size()));
}

// memcpy of each 1024-byte value into a new string, the way the hex
// functions return theirs.
void BM_MemcpyToNewString(benchmark::State& state) {
  const std::vector<std::string_view> chunks = Chunks(SjisText());
  for (auto _ : state) {
    for (std::string_view chunk : chunks) {
      std::string copy(chunk.size(), '\0');
      std::memcpy(copy.data(), chunk.data(), chunk.size());
      benchmark::DoNotOptimize(copy.data());
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(SjisText().size()));
}

// memcpy of the hex text of each value (2048 characters) into a new string:
// what HexDecode reads, where the other baselines copy what it writes.
void BM_MemcpyHexToNewString(benchmark::State& state) {
  std::vector<std::string> hex;
  for (std::string_view chunk : Chunks(SjisText())) hex.push_back(HexEncode(chunk));
  for (auto _ : state) {
    for (const std::string& h : hex) {
      std::string copy(h.size(), '\0');
      std::memcpy(copy.data(), h.data(), h.size());
      benchmark::DoNotOptimize(copy.data());
    }
  }
  // Counted, like HexDecode, in bytes of the plain text.
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(SjisText().size()));
}

// memcpy of each 1024-byte value into one buffer that stays allocated.
void BM_MemcpyToBuffer(benchmark::State& state) {
  const std::vector<std::string_view> chunks = Chunks(SjisText());
  std::vector<char> buffer(kMaxValueBytes);
  for (auto _ : state) {
    for (std::string_view chunk : chunks) {
      std::memcpy(buffer.data(), chunk.data(), chunk.size());
      benchmark::DoNotOptimize(buffer.data());
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(SjisText().size()));
}

BENCHMARK(BM_Utf8ToSjis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvUtf8ToCp932)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SjisToUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvCp932ToUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HexEncode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HexDecode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyToNewString)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyToBuffer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyHexToNewString)->Unit(benchmark::kMicrosecond);

// The console report, keeping each run's rate for the summary.
class RateKeeper : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto rate = run.counters.find("bytes_per_second");
      if (run.error_occurred || rate == run.counters.end()) continue;
      rates_[run.benchmark_name()] = rate->second.value / 1e6;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Each converter is held against its baseline on the same input: iconv
  // for the conversions, a memcpy of the function's own input for the hex
  // codec (the 1 KiB values for HexEncode, their 2 KiB hex for HexDecode).
  // The other baselines are printed for reference.
  void PrintSummary() const {
    std::printf("\nSummary (MB/s = 10^6 bytes of plain text per second)\n");
    Ratio("Utf8ToSjis", "BM_Utf8ToSjis", "glibc iconv UTF-8 -> CP932", "BM_IconvUtf8ToCp932", 2.0);
    Ratio("SjisToUtf8", "BM_SjisToUtf8", "glibc iconv CP932 -> UTF-8", "BM_IconvCp932ToUtf8", 2.0);
    Ratio("HexEncode", "BM_HexEncode", "memcpy of the values", "BM_MemcpyToNewString", 0.25);
    Ratio("HexDecode", "BM_HexDecode", "memcpy of the hex", "BM_MemcpyHexToNewString", 0.25);
    std::printf("For reference\n");
    Ratio("HexDecode", "BM_HexDecode", "memcpy of the values", "BM_MemcpyToNewString");
    Ratio("HexEncode", "BM_HexEncode", "memcpy into one buffer", "BM_MemcpyToBuffer");
    Ratio("HexDecode", "BM_HexDecode", "memcpy into one buffer", "BM_MemcpyToBuffer");
  }

 private:
  // Prints ours / theirs and, when there is a target, whether it is reached.
  void Ratio(const char* ours, const char* ours_run, const char* theirs, const char* theirs_run,
             double target = 0) const {
    const auto a = rates_.find(ours_run);
    const auto b = rates_.find(theirs_run);
    if (a == rates_.end() || b == rates_.end() || b->second <= 0) return;
    const double ratio = a->second / b->second;
    std::printf("  %-10s %9.1f MB/s  vs %-28s %9.1f MB/s  ratio %6.2f", ours, a->second, theirs,
                b->second, ratio);
    if (target > 0) {
      std::printf("  (target >= %.2f: %s)", target, ratio >= target ? "met" : "NOT met");
    }
    std::printf("\n");
  }

  std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::printf("text: %zu bytes of UTF-8, %zu bytes of Shift_JIS, %zu values of at most %zu\n",
              Utf8Text().size(), SjisText().size(), Chunks(SjisText()).size(), kMaxValueBytes);
  RateKeeper reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSummary();
  benchmark::Shutdown();
  return 0;
}
