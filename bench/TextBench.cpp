// Micro-benchmarks of the character walk over a 5 MB GBK result page:
// FindText, ExtractAllBetween and SplitText, each next to a plain reference
// over std::string_view doing the same work byte by byte (a search with
// string_view::find, a split or extraction loop built on it). After the
// Google Benchmark table it prints one line per figure:
//   FindText / string_view::find: 1.8x
// The walk has to cost something, since it must not match at the second
// byte of a two-byte character; the figure says how much.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "text/Extraction.h"
#include "text/Primitives.h"

namespace velmora {
namespace {

constexpr std::size_t kPageBytes = 5 * 1024 * 1024;
// The markers the crawl cuts profile links with.
constexpr char kLinkLeft[] = "search_user_pic\">\r\n        <a href=\"";
constexpr char kLinkRight[] = "\" target=";
// Never on the page: a search for it walks all of it.
constexpr char kAbsent[] = "data-never-here=\"";
constexpr char kLineBreak[] = "\r\n";

// Deterministic, so every run measures the same page.
class Random {
public:
    std::uint32_t Next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return std::uint32_t(state_ >> 33);
    }
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }

private:
    std::uint64_t state_ = 0x5eed;
};

// n two-byte GBK characters from the common range (lead B0-F7, trail A1-FE).
void AppendGbk(std::string& out, Random& random, int n) {
    for (int i = 0; i < n; ++i) {
        out += char(0xB0 + random.Below(0xF7 - 0xB0 + 1));
        out += char(0xA1 + random.Below(0xFE - 0xA1 + 1));
    }
}

// HTML-like text: member entries with a profile link each, among lines of
// Chinese text, attributes and tags.
std::string MakePage() {
    Random random;
    std::string page = "<html><head><meta charset=\"gbk\"><title>";
    AppendGbk(page, random, 8);
    page += "</title></head>\r\n<body>\r\n";
    int member = 100000;
    while (page.size() < kPageBytes) {
        page += "<div class=\"search_user\">\r\n  <div class=\"search_user_pic\">\r\n        <a href=\"http://";
        page += "www.velmora.com/u/" + std::to_string(member++) + "\" target=\"_blank\"><img src=\"x.jpg\"></a>\r\n";
        page += "  </div>\r\n  <p class=\"name\">";
        AppendGbk(page, random, 3 + int(random.Below(4)));
        page += "</p>\r\n  <p class=\"info\">";
        AppendGbk(page, random, 20 + int(random.Below(40)));
        page += " 28 ";
        AppendGbk(page, random, 2);
        page += " | ";
        AppendGbk(page, random, 10 + int(random.Below(30)));
        page += "</p>\r\n</div>\r\n";
    }
    page += "</body></html>\r\n";
    return page;
}

const Text& Page() {
    static const Text page = Text::Present(MakePage());
    return page;
}

std::string_view TrimSpaces(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

void SetBytes(benchmark::State& state) { state.SetBytesProcessed(std::int64_t(state.iterations()) * Page().Length()); }

void BM_FindText(benchmark::State& state) {
    const Text sought = kAbsent;
    for (auto _ : state) benchmark::DoNotOptimize(FindText(Page(), sought));
    SetBytes(state);
}

void BM_FindReference(benchmark::State& state) {
    const std::string_view page = Page().View();
    for (auto _ : state) benchmark::DoNotOptimize(page.find(kAbsent));
    SetBytes(state);
}

void BM_FindTextIgnoringCase(benchmark::State& state) {
    const Text sought = kAbsent;
    for (auto _ : state) benchmark::DoNotOptimize(FindText(Page(), sought, 0, true));
    SetBytes(state);
}

void BM_FindIgnoringCaseReference(benchmark::State& state) {
    const std::string_view page = Page().View();
    const std::string_view sought = kAbsent;
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 0x20) : c; };
    for (auto _ : state) {
        auto hit = std::search(page.begin(), page.end(), sought.begin(), sought.end(),
                               [&](char a, char b) { return fold(a) == fold(b); });
        benchmark::DoNotOptimize(hit);
    }
    SetBytes(state);
}

void BM_ExtractAllBetween(benchmark::State& state) {
    const Text left = kLinkLeft;
    const Text right = kLinkRight;
    TextArray links;
    for (auto _ : state) benchmark::DoNotOptimize(ExtractAllBetween(Page(), left, right, links));
    state.counters["pieces"] = links.Count();
    SetBytes(state);
}

// The crawl's own call ignores case; matching case shows what the folding costs.
void BM_ExtractAllBetweenMatchingCase(benchmark::State& state) {
    const Text left = kLinkLeft;
    const Text right = kLinkRight;
    ExtractOptions options;
    options.matchCase = true;
    TextArray links;
    for (auto _ : state) benchmark::DoNotOptimize(ExtractAllBetween(Page(), left, right, links, options));
    state.counters["pieces"] = links.Count();
    SetBytes(state);
}

void BM_ExtractReference(benchmark::State& state) {
    const std::string_view page = Page().View();
    const std::string_view left = kLinkLeft;
    const std::string_view right = kLinkRight;
    std::vector<std::string> links;
    for (auto _ : state) {
        links.clear();
        for (std::size_t p = 0;;) {
            const auto l = page.find(left, p);
            if (l == std::string_view::npos) break;
            const auto r = page.find(right, l + left.size());
            if (r == std::string_view::npos) break;
            const auto piece = TrimSpaces(page.substr(l + left.size(), r - l - left.size()));
            p = l + left.size();
            if (!piece.empty()) {
                links.emplace_back(piece);
                p = r;
            }
        }
        benchmark::DoNotOptimize(links.data());
    }
    state.counters["pieces"] = double(links.size());
    SetBytes(state);
}

void BM_SplitText(benchmark::State& state) {
    const Text delimiter = kLineBreak;
    for (auto _ : state) {
        TextArray lines = SplitText(Page(), delimiter);
        benchmark::DoNotOptimize(lines.Count());
    }
    SetBytes(state);
}

void BM_SplitReference(benchmark::State& state) {
    const std::string_view page = Page().View();
    const std::string_view delimiter = kLineBreak;
    for (auto _ : state) {
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t hit; (hit = page.find(delimiter, start)) != std::string_view::npos;
             start = hit + delimiter.size())
            lines.emplace_back(page.substr(start, hit - start));
        if (start < page.size()) lines.emplace_back(page.substr(start));
        benchmark::DoNotOptimize(lines.data());
    }
    SetBytes(state);
}

BENCHMARK(BM_FindText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindTextIgnoringCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindIgnoringCaseReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractAllBetween)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractAllBetweenMatchingCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitReference)->Unit(benchmark::kMillisecond);

// Keeps the console table and remembers each benchmark's CPU time per
// iteration (the median when the runs are repeated), for the ratio lines.
// CPU time, since the machine is shared and wall time waits for others.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatio(const char* label, const std::string& measured, const std::string& reference) const {
        const double m = Time(measured);
        const double r = Time(reference);
        if (m <= 0 || r <= 0) return;
        std::printf("%s: %.1fx\n", label, m / r);
    }

private:
    double Time(const std::string& name) const {
        auto it = times_.find(name + "_median");
        if (it == times_.end()) it = times_.find(name);
        return it == times_.end() ? 0 : it->second;
    }

    std::map<std::string, double> times_;
};

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::printf("page: %d bytes of GBK HTML\n", velmora::Page().Length());
    velmora::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::fflush(stdout);
    reporter.PrintRatio("FindText / string_view::find", "BM_FindText", "BM_FindReference");
    reporter.PrintRatio("FindText ignoring case / std::search folding case", "BM_FindTextIgnoringCase",
                        "BM_FindIgnoringCaseReference");
    reporter.PrintRatio("ExtractAllBetween (ignoring case, as the crawl calls it) / string_view extract loop", "BM_ExtractAllBetween", "BM_ExtractReference");
    reporter.PrintRatio("ExtractAllBetween matching case / string_view extract loop",
                        "BM_ExtractAllBetweenMatchingCase", "BM_ExtractReference");
    reporter.PrintRatio("SplitText / string_view split loop", "BM_SplitText", "BM_SplitReference");
    benchmark::Shutdown();
    return 0;
}
