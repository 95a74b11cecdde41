#include "tools/calc_csv.h"

#include "core/number_text.h"

#include <cmath>

namespace ym::calc {

void AppendComputed(std::string& out, const statement::ComputedFees& c) {
    for (const double v :
         {c.commission, c.stamp, c.transfer, c.handling, c.regulatory, c.other, c.fees, c.amount}) {
        AppendFen(out, v);
        out += ',';
    }
}

void AppendFen(std::string& out, double value) {
    const double fen = std::round(RoundToCents(value) * 100);
    if (!std::isfinite(fen) || std::fabs(fen) >= 9e15) {
        out += GeneralForm(value);
        return;
    }
    auto whole = static_cast<long long>(std::fabs(fen));
    if (fen < 0) {
        out += '-';
    }
    out += std::to_string(whole / 100);
    out += '.';
    out += static_cast<char>('0' + whole % 100 / 10);
    out += static_cast<char>('0' + whole % 10);
}

void AppendField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

} // namespace ym::calc
