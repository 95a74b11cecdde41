// Any bytes as a trading client's export. Besides never crashing, the reader hands on the same
// lines whatever pieces the bytes arrive in, and every trade it hands on is one the checks can
// price: a six-digit code, a price and a quantity above 0, fees that are numbers.
#include "core/export_reader.h"
#include "fuzz/fuzz_check.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace ym::statement;

// Each line in one string: its kind, line number and what was read.
std::vector<std::string> Lines(std::string_view bytes, std::size_t piece,
                               std::optional<std::string>& problem) {
    std::vector<std::string> lines;
    ExportScanner scanner(0, [&lines](const ExportLine& line) {
        if (const auto* t = std::get_if<TradeLine>(&line)) {
            YM_FUZZ_CHECK(t->code.size() == 6);
            YM_FUZZ_CHECK(std::isfinite(t->price) && t->price > 0);
            YM_FUZZ_CHECK(std::isfinite(t->quantity) && t->quantity > 0);
            YM_FUZZ_CHECK(t->TradeAmount() >= 0);
            std::string s = "t" + std::to_string(t->line) + " " + t->code + " " +
                            std::to_string(t->price) + " " + std::to_string(t->quantity);
            for (const auto& fee : t->charged) {
                YM_FUZZ_CHECK(!fee || (std::isfinite(*fee) && *fee >= 0));
                s += fee ? " " + std::to_string(*fee) : " -";
            }
            lines.push_back(s);
        } else if (const auto* e = std::get_if<EventLine>(&line)) {
            lines.push_back("e" + e->word);
        } else {
            const auto& u = std::get<UnreadableLine>(line);
            lines.push_back("u" + std::to_string(u.line) + " " + u.why);
        }
    });
    for (std::size_t i = 0; i < bytes.size(); i += piece) {
        scanner.Feed(bytes.substr(i, piece), false);
    }
    scanner.Feed({}, true);
    problem = scanner.problem();
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte chooses the pieces the rest arrives in.
    const std::size_t piece = 1 + data[0] % 16;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::optional<std::string> wholeProblem;
    std::optional<std::string> piecesProblem;
    const std::vector<std::string> whole = Lines(bytes, bytes.size() + 1, wholeProblem);
    const std::vector<std::string> pieces = Lines(bytes, piece, piecesProblem);
    YM_FUZZ_CHECK(whole == pieces);
    YM_FUZZ_CHECK(wholeProblem == piecesProblem);
    return 0;
}
