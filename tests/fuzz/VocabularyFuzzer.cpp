// A vocabulary file, read as the program reads "*.kvq" files.
#include "FuzzInput.h"
#include "import/TextImport.h"

#include <algorithm>
#include <cmath>

using namespace kvq;
using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const VocabularyParse parse = ParseVocabulary(text);
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n') +
                                                std::count(text.begin(), text.end(), '\r')) +
                       1;
    if (parse.Usable())
        Require(!parse.Entries.empty() && parse.Line == 0, "a usable vocabulary has entries");
    else
        Require((parse.Line >= 1 && static_cast<std::size_t>(parse.Line) <= lines) ||
                    parse.Entries.empty(),
                "an unusable vocabulary names its line");
    Require(parse.Entries.size() <= lines, "at most one entry a line");
    for (const TParseList& entry : parse.Entries) {
        Require(std::isfinite(entry.Code), "codes are numbers");
        Require(entry.Word.find_first_of("\r\n") == std::string::npos, "a word is one line");
    }
    return 0;
}
