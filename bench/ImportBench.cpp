// Timings of the text import as the window runs it on every clipboard change: the built-in
// vocabulary plus vocabulary files.

#include "edit/FieldTable.h"
#include "import/TextImport.h"
#include "setup/ImportTemplate.h"
#include "setup/Sheet.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// The built-in vocabulary and, up to the given count, vocabulary files of the bundled example's
// size, each with keywords of its own.
kvq::TextImport ImportWithVocabularies(int vocabularies) {
    std::ifstream example(std::filesystem::path(KVQ_SOURCE_DIR) / "examples" / "alternative.kvq");
    std::stringstream entries;
    entries << example.rdbuf();
    // A folder of its own: other runs may be building theirs at the same time.
    std::string folder = (std::filesystem::temp_directory_path() / "kvq-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) throw std::runtime_error("no temporary folder");
    for (int n = 1; n < vocabularies; ++n) {
        std::ofstream out(folder + "/v" + std::to_string(n) + ".kvq");
        std::string line;
        for (std::istringstream in(entries.str()); std::getline(in, line);)
            out << (line.starts_with("0,") && line.size() > 2
                        ? "0,V" + std::to_string(n) + line.substr(2)
                        : line)
                << "\n";
    }
    kvq::TextImport import;
    import.LoadVocabularies(folder);
    std::filesystem::remove_all(folder);
    return import;
}

void Recognise(benchmark::State& state, int vocabularies, const std::string& text,
               bool recognised) {
    kvq::TextImport import = ImportWithVocabularies(vocabularies);
    const kvq::CurrentLimits limits;
    if (import.Vocabularies().size() != static_cast<std::size_t>(vocabularies) ||
        import.Recognise(text, limits) != recognised)
        state.SkipWithError("unexpected vocabularies or result");
    for (auto _ : state) benchmark::DoNotOptimize(import.Recognise(text, limits));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// Words that no keyword holds, so every vocabulary reads the whole text; the time is also told per
// character and vocabulary (CPU time, in seconds).
void RecogniseUnrecognisedText(benchmark::State& state) {
    const std::string words = "lorem ipsum dolor sit amet consectetur adipiscing elit sed eiusmod "
                              "tempor incididunt labore 12.5 magna aliqua\r\n";
    std::string text;
    while (text.size() < kvq::kImportTextLimit) text += words;
    text.resize(kvq::kImportTextLimit);
    const auto vocabularies = state.range(0);
    Recognise(state, static_cast<int>(vocabularies), text, false);
    state.counters["per_char_and_vocabulary"] = benchmark::Counter(
        static_cast<double>(text.size()) * static_cast<double>(vocabularies),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(RecogniseUnrecognisedText)->ArgName("vocabularies")->Arg(1)->Arg(9)->Arg(33);

void RecogniseSheet(benchmark::State& state) {
    kvq::SetupRecord record = kvq::ImportTemplate();
    kvq::Normalise(record, kvq::CurrentLimits{});
    std::string text;
    for (const std::string& line : kvq::SheetLines(record, 6)) text += line + "\r\n";
    Recognise(state, 9, text, true);
}
BENCHMARK(RecogniseSheet);

} // namespace
