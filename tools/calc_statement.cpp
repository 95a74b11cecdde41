// yuanmate-calc statement: the exports of a trading client reviewed: the broker's terms
// found, every trade line checked, fees per year, what other terms would have cost.
#include "core/number_text.h"
#include "core/statement_review.h"
#include "tools/calc_commands.h"
#include "tools/calc_csv.h"
#include "tools/calc_settings.h"

#include <fstream>

namespace ym::calc {

namespace {

namespace st = ym::statement;

std::string_view SideKey(Side side) {
    return side == Side::Buy ? "buy" : "sell";
}

std::string_view MarketKey(Market market) {
    return market == Market::Shanghai ? "sh" : "sz";
}

std::string_view TransferKey(st::TransferShown shown) {
    static constexpr std::array<std::string_view, 4> kKeys{"unknown", "itemised", "in_other",
                                                           "in_commission"};
    return kKeys[static_cast<std::size_t>(shown)];
}

// A fee column as the report's table names it.
std::string_view FeeName(st::Column fee) {
    static constexpr std::array<std::string_view, st::kChargedColumns> kNames{"佣金", "印花税",
                                                                              "过户费", "其他费用"};
    return kNames[static_cast<std::size_t>(fee) - st::kFirstCharged];
}

std::string_view TransferName(st::TransferShown shown) {
    static constexpr std::array<std::string_view, 4> kNames{"看不出", "单列", "并入其他费用",
                                                            "并入佣金"};
    return kNames[static_cast<std::size_t>(shown)];
}

// Money to the fen, as a JSON number.
std::string Money(double value) {
    return JsonNumber(RoundToCents(value));
}

std::string Fen(double value) {
    std::string out;
    AppendFen(out, value);
    return out;
}

std::string MinimumText(const BrokerTerms& terms) {
    return terms.minimumWaived ? "免五" : Fen(terms.minimumYuan) + " 元";
}

std::string IncludesText(std::optional<bool> includes) {
    return includes ? (*includes ? "含规费" : "不含规费") : "看不出";
}

std::string FileName(const st::StatementReport& r, std::size_t file) {
    return file < r.files.size() ? r.files[file] : std::string();
}

// The options' terms and what-ifs as the review takes them.
st::ReviewOptions ReviewOptionsOf(const StatementOptions& o, const CalcSettings& settings) {
    st::ReviewOptions r;
    r.model = o.rule.rules == "classic" ? FeeModel::Classic : FeeModel::Official;
    r.parameters = settings.state.parameters;
    if (o.rule.commission) {
        r.commissionRate = Val(*o.rule.commission);
    }
    if (o.rule.minCommission) {
        r.minimum = Val(*o.rule.minCommission);
    }
    r.noMinimum = o.rule.noMinimum;
    if (o.rule.includesFees) {
        r.includesFees = *o.rule.includesFees == "yes";
    }
    if (o.whatIfCommission) {
        r.whatIfRate = Val(*o.whatIfCommission);
    }
    r.whatIfNoMinimum = o.whatIfNoMinimum;
    if (o.whatIfIncludesFees) {
        r.whatIfIncludesFees = *o.whatIfIncludesFees == "yes";
    }
    return r;
}

// The --lines CSV, written line by line as the lines are checked.
class LinesWriter {
public:
    explicit LinesWriter(const std::vector<std::string>& files) : files_(files) {
        text_ = "file,line,date,market,code,type,side,price,quantity,amount,commission,stamp,"
                "transfer,other,";
        for (const CalcColumn& column : kCalcColumns) {
            text_ += column.name;
            text_ += ',';
        }
        text_ += "commission_diff,stamp_diff,transfer_diff,other_diff,check,reason\n";
    }

    void Add(const st::TradeLine& t, const st::LineCheck& c) {
        AppendField(text_, files_[t.file]);
        text_ += ',' + std::to_string(t.line) + ',' + FormatDate(t.date) + ',' +
                 std::string(MarketKey(t.market)) + ',' + t.code + ',' +
                 std::string(TypeKey(t.type)) + ',' + std::string(SideKey(t.side)) + ',' +
                 JsonNumber(t.price) + ',' + JsonNumber(t.quantity) + ',';
        if (t.amount) {
            AppendFen(text_, *t.amount);
        }
        for (const auto& fee : t.charged) {
            text_ += ',';
            if (fee) {
                AppendFen(text_, *fee);
            }
        }
        text_ += ',';
        if (c.checked) {
            AppendComputed(text_, c.computed);
        } else {
            text_ += std::string(kCalcColumns.size(), ',');
        }
        for (const auto& d : c.difference) {
            if (d) {
                AppendFen(text_, *d);
            }
            text_ += ',';
        }
        text_ += !c.checked ? "unchecked," : c.differs ? "differs," : "ok,";
        AppendField(text_, st::ReasonText(c.reason));
        text_ += '\n';
    }

    // Writes what is gathered to `out` now and then, so that the text stays small.
    bool Flush(std::ostream& out, bool always) {
        if (always || text_.size() > (1u << 20)) {
            out << text_;
            text_.clear();
        }
        return static_cast<bool>(out);
    }

private:
    const std::vector<std::string>& files_;
    std::string text_;
};

void PrintTotalsRow(std::ostream& out, std::string_view label, const st::FeeTotals& t) {
    out << label << '\t' << t.trades << '\t' << Fen(t.turnover) << '\t' << Fen(t.commission) << '\t'
        << Fen(t.stamp) << '\t' << Fen(t.transfer) << '\t' << Fen(t.other) << '\t' << Fen(t.fees)
        << '\t' << FormatMask(t.PerTenThousand(), "0.00") << '\n';
}

void PrintText(const st::StatementReport& r, std::ostream& out) {
    out << "# 对账单核对：" << r.files.size() << " 个文件，" << r.trades << " 笔成交\n";
    for (const std::string& problem : r.fileProblems) {
        out << "未读：" << problem << '\n';
    }
    out << "\n## 佣金条款（" << (r.termsGiven ? "按给定条款核对；" : "") << "从对账单找出）\n"
        << "期间\t佣金率\t最低佣金\t规费\t过户费\t成交行\t相符行\t依据\n";
    for (const st::PeriodCheck& p : r.terms) {
        const st::TermsPeriod& f = p.found;
        out << FormatDate(f.from) << " 至 " << FormatDate(f.to) << '\t'
            << st::QuoteRate(f.terms.commissionRate) << '\t'
            << (f.minimumSeen ? MinimumText(f.terms) : "看不出") << '\t'
            << IncludesText(f.includesFees) << '\t' << TransferName(f.transfer) << '\t' << p.lines
            << '\t' << p.explained << "\t费率 " << f.rateLines << " 行，最低佣金 " << f.minimumLines
            << " 行，规费 " << f.includesLines << " 行，过户费 " << f.transferLines << " 行\n";
        if (r.termsGiven) {
            out << "\t核对所用：" << st::QuoteRate(p.used.commissionRate) << '\t'
                << MinimumText(p.used) << '\t' << IncludesText(p.used.includesExchangeFees) << '\n';
        }
    }
    out << "\n## 按年费用\n年份\t笔数\t成交金额\t佣金\t印花税\t过户费\t其他费用\t费用合计\t费用‱\n";
    for (const st::YearTotals& y : r.years) {
        PrintTotalsRow(out, std::to_string(y.year), y.totals);
    }
    PrintTotalsRow(out, "合计", r.total);
    out << "\n## 不符的行：" << r.differing.size() << " 行，差额合计 " << Fen(r.differingSum)
        << " 元\n";
    if (!r.differing.empty()) {
        out << "文件\t行\t日期\t代码\t方向\t费用\t收取\t应收\t差额\t可能原因\n";
        for (const st::DifferingLine& d : r.differing) {
            out << FileName(r, d.file) << '\t' << d.line << '\t' << FormatDate(d.date) << '\t'
                << d.code << '\t' << (d.side == Side::Buy ? "买" : "卖") << '\t' << FeeName(d.fee)
                << '\t' << Fen(d.charged) << '\t' << Fen(d.expected) << '\t' << Fen(d.difference)
                << '\t' << st::ReasonLabel(d.reason) << '\n';
        }
    }
    if (r.unchecked > 0) {
        out << "未核对（2015-08-01 前无官方规则）：" << r.unchecked << " 行\n";
    }
    out << "\n## 跳过的业务（非成交）\n";
    for (const auto& [word, count] : r.skipped) {
        out << word << '\t' << count << '\n';
    }
    if (r.unreadableCount > 0) {
        out << "\n## 无法读取的行：" << r.unreadableCount << " 行\n";
        for (const st::UnreadableLine& u : r.unreadable) {
            out << FileName(r, u.file) << ':' << u.line << '\t' << u.why << '\n';
        }
    }
    if (r.whatIf) {
        const st::WhatIfReport& w = *r.whatIf;
        out << "\n## 换个条款："
            << (w.rate ? "佣金率 " + st::QuoteRate(*w.rate) : std::string("佣金率不变"))
            << (w.noMinimum ? "，免五" : "")
            << (w.includesFees ? "，" + IncludesText(w.includesFees) : std::string()) << '\n'
            << "年份\t实付费用\t换后费用\t节省\n";
        for (const st::WhatIfYear& y : w.years) {
            out << y.year << '\t' << Fen(y.fees) << '\t' << Fen(y.whatIfFees) << '\t'
                << Fen(y.saving) << '\n';
        }
        out << "合计\t" << Fen(w.total.fees) << '\t' << Fen(w.total.whatIfFees) << '\t'
            << Fen(w.total.saving) << '\n';
    }
}

std::string TotalsJson(const st::FeeTotals& t) {
    return "\"Trades\": " + std::to_string(t.trades) + ", \"Turnover\": " + Money(t.turnover) +
           ", \"Commission\": " + Money(t.commission) + ", \"Stamp\": " + Money(t.stamp) +
           ", \"Transfer\": " + Money(t.transfer) + ", \"Other\": " + Money(t.other) +
           ", \"Fees\": " + Money(t.fees) +
           ", \"FeesPerTenThousand\": " + JsonNumber(t.PerTenThousand());
}

std::string TermsJson(const BrokerTerms& t, std::optional<bool> includes, bool minimumSeen) {
    return "\"CommissionRate\": " + JsonNumber(t.commissionRate) +
           ", \"Quoted\": " + JsonString(st::QuoteRate(t.commissionRate)) +
           ", \"MinCommission\": " + (t.minimumWaived ? "null" : JsonNumber(t.minimumYuan)) +
           ", \"MinimumSeen\": " + (minimumSeen ? "true" : "false") +
           ", \"IncludesFees\": " + (includes ? (*includes ? "true" : "false") : "null");
}

void PrintJson(const st::StatementReport& r, std::ostream& out) {
    auto list = [&out](const auto& items, auto item) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            out << (i == 0 ? "\n    " : ",\n    ") << item(items[i]);
        }
        out << (items.empty() ? "]" : "\n  ]");
    };
    out << "{\n  \"Files\": [";
    list(r.files, [](const std::string& f) { return JsonString(f); });
    out << ",\n  \"FileProblems\": [";
    list(r.fileProblems, [](const std::string& f) { return JsonString(f); });
    out << ",\n  \"Trades\": " << r.trades << ",\n  \"Skipped\": {";
    std::size_t i = 0;
    for (const auto& [word, count] : r.skipped) {
        out << (i++ == 0 ? "\n    " : ",\n    ") << JsonString(word) << ": " << count;
    }
    out << (r.skipped.empty() ? "}" : "\n  }") << ",\n  \"Unreadable\": [";
    list(r.unreadable, [&r](const st::UnreadableLine& u) {
        return "{\"File\": " + JsonString(FileName(r, u.file)) +
               ", \"Line\": " + std::to_string(u.line) + ", \"Why\": " + JsonString(u.why) + "}";
    });
    out << ",\n  \"UnreadableCount\": " << r.unreadableCount
        << ",\n  \"TermsGiven\": " << (r.termsGiven ? "true" : "false") << ",\n  \"Terms\": [";
    list(r.terms, [&r](const st::PeriodCheck& p) {
        const st::TermsPeriod& f = p.found;
        std::string s = "{\"From\": " + JsonString(FormatDate(f.from)) +
                        ", \"To\": " + JsonString(FormatDate(f.to)) + ", " +
                        TermsJson(f.terms, f.includesFees, f.minimumSeen) +
                        ", \"Transfer\": " + JsonString(TransferKey(f.transfer)) +
                        ", \"Lines\": " + std::to_string(p.explained) +
                        ", \"TradeLines\": " + std::to_string(p.lines) +
                        ", \"RateLines\": " + std::to_string(f.rateLines) +
                        ", \"MinimumLines\": " + std::to_string(f.minimumLines) +
                        ", \"IncludesLines\": " + std::to_string(f.includesLines) +
                        ", \"TransferLines\": " + std::to_string(f.transferLines);
        if (r.termsGiven) {
            s +=
                ", \"CheckedWith\": {" + TermsJson(p.used, p.used.includesExchangeFees, true) + "}";
        }
        return s + "}";
    });
    out << ",\n  \"Years\": [";
    list(r.years, [](const st::YearTotals& y) {
        return "{\"Year\": " + std::to_string(y.year) + ", " + TotalsJson(y.totals) + "}";
    });
    out << ",\n  \"Total\": {" << TotalsJson(r.total) << "},\n  \"Differing\": [";
    list(r.differing, [&r](const st::DifferingLine& d) {
        return "{\"File\": " + JsonString(FileName(r, d.file)) +
               ", \"Line\": " + std::to_string(d.line) +
               ", \"Date\": " + JsonString(FormatDate(d.date)) +
               ", \"Code\": " + JsonString(d.code) + ", \"Side\": " + JsonString(SideKey(d.side)) +
               ", \"Fee\": " + JsonString(st::ColumnKey(d.fee)) +
               ", \"Charged\": " + Money(d.charged) + ", \"Expected\": " + Money(d.expected) +
               ", \"Difference\": " + Money(d.difference) +
               ", \"LineDifference\": " + Money(d.lineDifference) +
               ", \"Reason\": " + JsonString(st::ReasonText(d.reason)) +
               ", \"ReasonKey\": " + JsonString(st::ReasonKey(d.reason)) + "}";
    });
    out << ",\n  \"DifferingSum\": " << Money(r.differingSum)
        << ",\n  \"Unchecked\": " << r.unchecked;
    if (r.whatIf) {
        const st::WhatIfReport& w = *r.whatIf;
        out << ",\n  \"WhatIf\": {\"CommissionRate\": " << (w.rate ? JsonNumber(*w.rate) : "null")
            << ", \"NoMinimum\": " << (w.noMinimum ? "true" : "false") << ", \"IncludesFees\": "
            << (w.includesFees ? (*w.includesFees ? "true" : "false") : "null")
            << ", \"Fees\": " << Money(w.total.fees)
            << ", \"WhatIfFees\": " << Money(w.total.whatIfFees)
            << ", \"Saving\": " << Money(w.total.saving) << ", \"Years\": [";
        for (std::size_t k = 0; k < w.years.size(); ++k) {
            const st::WhatIfYear& y = w.years[k];
            out << (k == 0 ? "" : ", ") << "{\"Year\": " << y.year
                << ", \"Fees\": " << Money(y.fees) << ", \"WhatIfFees\": " << Money(y.whatIfFees)
                << ", \"Saving\": " << Money(y.saving) << "}";
        }
        out << "]}";
    }
    out << "\n}\n";
}

} // namespace

int RunStatement(const StatementOptions& options, std::ostream& out, std::ostream& err) {
    const std::string prefix = std::string(kProgramName) + ": ";
    CalcSettings settings;
    if (auto message = LoadSettings(options.ini, settings, err)) {
        err << *message << '\n';
        return kExitFileError;
    }
    std::ofstream linesFile;
    std::optional<LinesWriter> lines;
    if (options.lines) {
        linesFile.open(*options.lines, std::ios::binary | std::ios::trunc);
        if (!linesFile) {
            err << prefix << *options.lines << ": cannot be written\n";
            return kExitFileError;
        }
        lines.emplace(options.inputs);
    }
    const st::StatementReport report =
        st::ReviewStatements(options.inputs, ReviewOptionsOf(options, settings),
                             [&](const st::TradeLine& t, const st::LineCheck& c) {
                                 if (lines) {
                                     lines->Add(t, c);
                                     lines->Flush(linesFile, false);
                                 }
                             });
    if (lines) {
        lines->Flush(linesFile, true);
        linesFile.close();
        if (!linesFile) {
            err << prefix << *options.lines << ": could not be written\n";
            return kExitFileError;
        }
    }
    for (const std::string& problem : report.fileProblems) {
        err << prefix << problem << '\n';
    }
    if (report.unreadableCount > 0) {
        err << prefix << report.unreadableCount << " line(s) could not be read; see the report\n";
    }
    if (options.json) {
        PrintJson(report, out);
    } else {
        PrintText(report, out);
    }
    if (!report.fileProblems.empty()) {
        return kExitFileError;
    }
    return options.check && !report.differing.empty() ? kExitDiffers : kExitOk;
}

} // namespace ym::calc
