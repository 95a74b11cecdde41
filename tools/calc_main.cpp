// yuanmate-calc: the trade and ex-rights calculations of 交易小算盘 from the command line,
// the official fee rules, a broker's statement checked line by line, and the settings
// file's start-up step.

#include "tools/calc_commands.h"
#include "tools/calc_options.h"

#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    using namespace ym::calc;
    std::vector<std::string_view> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    int status = kExitOk;
    try {
        const ParseOutcome outcome = ParseArguments(args);
        if (const auto* message = std::get_if<std::string>(&outcome)) {
            if (args.empty()) {
                std::cerr << UsageText();
            } else {
                std::cerr << kProgramName << ": " << *message << '\n';
            }
            return kExitBadInput;
        }
        const ParsedCommand& parsed = std::get<ParsedCommand>(outcome);
        switch (parsed.command) {
        case Command::Help:
            std::cout << UsageText();
            break;
        case Command::Trade:
            status = RunTrade(parsed.trade, std::cout, std::cerr);
            break;
        case Command::ExRights:
            status = RunExRights(parsed.exrights, std::cout, std::cerr);
            break;
        case Command::Init:
            status = RunInit(std::cout, std::cerr);
            break;
        case Command::Rules:
            status = RunRules(parsed.rules, std::cout, std::cerr);
            break;
        case Command::Limits:
            status = RunLimits(parsed.limits, std::cout, std::cerr);
            break;
        case Command::Batch:
            status = RunBatch(parsed.batch, std::cin, std::cout, std::cerr);
            break;
        case Command::Target:
            status = RunTarget(parsed.position, std::cout, std::cerr);
            break;
        case Command::Average:
            status = RunAverage(parsed.position, std::cout, std::cerr);
            break;
        case Command::Swing:
            status = RunSwing(parsed.position, std::cout, std::cerr);
            break;
        case Command::Statement:
            status = RunStatement(parsed.statement, std::cout, std::cerr);
            break;
        }
    } catch (const std::exception& e) {
        // The current directory vanishing or the like; never report it as success.
        std::cerr << kProgramName << ": " << e.what() << '\n';
        return kExitFileError;
    }
    // A result that could not be written (a full disk, a closed pipe) is no result.
    std::cout.flush();
    if (!std::cout) {
        std::cerr << kProgramName << ": the output could not be written\n";
        return kExitFileError;
    }
    return status;
}
