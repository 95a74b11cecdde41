// The broker's terms found from the trade lines of a statement: the commission rate that
// explains most lines above the minimum, the minimum (5 yuan or none, 免五), whether the rate
// includes the exchanges' handling and regulatory fees (含规费) and where the transfer fee is
// shown; separately for the periods between the days the terms changed. Only day-by-day
// tallies are kept, so that any number of lines can be added.
#pragma once

#include "core/export_reader.h"
#include "core/official_rules.h"
#include "core/trade_date.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace ym::statement {

enum class TransferShown : std::uint8_t {
    Unknown,      // the statement cannot tell
    Itemised,     // a column of its own
    InOther,      // folded into the other fees
    InCommission, // folded into the commission (the rate found includes it)
};

struct TermsPeriod {
    Date from; // the first and last day with a trade the terms were found from
    Date to;
    BrokerTerms terms;
    // Whether the rate includes the handling and regulatory fees; nullopt when the statement
    // cannot tell (then the check charges them apart, as terms.includesExchangeFees says).
    std::optional<bool> includesFees;
    bool minimumSeen = false; // a line told whether there is a minimum
    TransferShown transfer = TransferShown::Unknown;
    // How many lines each finding rests on.
    std::size_t rateLines = 0;
    std::size_t minimumLines = 0;
    std::size_t includesLines = 0;
    std::size_t transferLines = 0;
};

// A rate as brokers quote it, in ten-thousandths: 0.00025 is "万2.5", 0.0001 "万1".
std::string QuoteRate(double rate);

class TermsFinder {
public:
    void Add(const TradeLine& line);
    // The periods in date order; none when no line has a commission to go by.
    std::vector<TermsPeriod> Find() const;

    // The tally of one day.
    struct Day {
        std::map<std::int32_t, std::uint32_t> rateVotes; // per 1e-7 of rate
        std::uint32_t belowFive = 0;                     // commissions above 0 and below 5 yuan
        std::map<std::int32_t, std::uint32_t> fiveYuanAmounts; // per 100 yuan of amount
        std::uint32_t feesApart = 0;
        std::uint32_t feesIncluded = 0;
        std::uint32_t transferItemised = 0;
        std::uint32_t transferInOther = 0;
        std::uint32_t transferMissing = 0;
        void Merge(const Day& other);
    };

private:
    std::map<Date, Day> days_;
    // The exchanges' fees of each (date, market, type) met, built once.
    std::map<std::tuple<Date, Market, SecurityType>, FeeRules> rules_;
};

// The period whose terms hold on `date`: the last one that begins on or before it, else the
// first. nullptr when there are none.
const TermsPeriod* PeriodOn(const std::vector<TermsPeriod>& periods, const Date& date);

} // namespace ym::statement
