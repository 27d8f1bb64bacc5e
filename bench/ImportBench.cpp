// Timings of the text import as the window runs it on every clipboard change: the built-in
// vocabulary plus eight vocabulary files.

#include "edit/FieldTable.h"
#include "import/ImportTemplate.h"
#include "import/TextImport.h"
#include "setup/Sheet.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Eight vocabularies of the bundled example's size, each with keywords of its own.
kvq::TextImport ImportWithEightFiles() {
    std::ifstream example(std::filesystem::path(KVQ_SOURCE_DIR) / "examples" / "alternative.kvq");
    std::stringstream entries;
    entries << example.rdbuf();
    const auto folder = std::filesystem::temp_directory_path() / "kvq-bench-vocabularies";
    std::filesystem::create_directories(folder);
    for (int n = 1; n <= 8; ++n) {
        std::ofstream out(folder / ("v" + std::to_string(n) + ".kvq"));
        std::string line;
        for (std::istringstream in(entries.str()); std::getline(in, line);)
            out << (line.starts_with("0,") && line.size() > 2
                        ? "0,V" + std::to_string(n) + line.substr(2)
                        : line)
                << "\n";
    }
    kvq::TextImport import;
    import.LoadVocabularies(folder.string());
    std::filesystem::remove_all(folder);
    return import;
}

void Recognise(benchmark::State& state, const std::string& text, bool recognised) {
    kvq::TextImport import = ImportWithEightFiles();
    const kvq::CurrentLimits limits;
    if (import.Vocabularies().size() != 9 || import.Recognise(text, limits) != recognised)
        state.SkipWithError("unexpected vocabularies or result");
    for (auto _ : state) benchmark::DoNotOptimize(import.Recognise(text, limits));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// Words that no keyword holds, so every vocabulary reads the whole text.
void RecogniseUnrecognisedText(benchmark::State& state) {
    const std::string words = "lorem ipsum dolor sit amet consectetur adipiscing elit sed eiusmod "
                              "tempor incididunt labore 12.5 magna aliqua\r\n";
    std::string text;
    while (text.size() < kvq::kImportTextLimit) text += words;
    text.resize(kvq::kImportTextLimit);
    Recognise(state, text, false);
}
BENCHMARK(RecogniseUnrecognisedText);

void RecogniseSheet(benchmark::State& state) {
    kvq::SetupRecord record = kvq::ImportTemplate();
    kvq::Normalise(record, kvq::CurrentLimits{});
    std::string text;
    for (const std::string& line : kvq::SheetLines(record, 6)) text += line + "\r\n";
    Recognise(state, text, true);
}
BENCHMARK(RecogniseSheet);

} // namespace
