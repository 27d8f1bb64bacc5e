// Timings of the core's hot paths: reading a setup through to its sheet, and the limits reader.

#include "edit/FieldTable.h"
#include "edit/LimitsFile.h"
#include "setup/ImportTemplate.h"
#include "setup/SetupDocument.h"
#include "setup/Sheet.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

void LoadNormaliseSheet(benchmark::State& state) {
    const auto path = (std::filesystem::temp_directory_path() / "kvq-bench.br1").string();
    {
        std::ofstream out(path, std::ios::binary);
        const auto& bytes = kvq::ImportTemplate().ToBytes();
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    const kvq::CurrentLimits limits;
    for (auto _ : state) {
        kvq::TSetup setup;
        kvq::LoadSetup(setup, path);
        kvq::Normalise(setup.Record, limits);
        benchmark::DoNotOptimize(kvq::SheetLines(setup));
    }
    std::remove(path.c_str());
}
BENCHMARK(LoadNormaliseSheet);

void SheetOnly(benchmark::State& state) {
    kvq::SetupRecord record = kvq::ImportTemplate();
    kvq::Normalise(record, kvq::CurrentLimits{});
    for (auto _ : state) benchmark::DoNotOptimize(kvq::SheetLines(record, 6));
}
BENCHMARK(SheetOnly);

void ParseLimitsFile(benchmark::State& state) {
    // Every field once with three columns, plus comments: a full limits file.
    std::string text = "; limits for the season\n";
    for (int field = 1; field <= kvq::kFieldCount; ++field)
        text += std::to_string(field) + ",1,50,0.5\n; field " + std::to_string(field) + "\n";
    for (auto _ : state) benchmark::DoNotOptimize(kvq::ParseLimits(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ParseLimitsFile);

} // namespace

BENCHMARK_MAIN();
