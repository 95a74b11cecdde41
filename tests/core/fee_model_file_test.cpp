// The fee model's section of the settings file: absent, the file reads and stays as it
// always did; written, it is one section at the end that the classic reader passes over.
#include "core/fee_model_file.h"

#include "core/settings_file.h"
#include "tests/core/core_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace ym::test;
using ym::FeeModel;
using ym::FeeModelSettings;

FeeModelSettings Official() {
    FeeModelSettings s;
    s.model = FeeModel::Official;
    s.terms.commissionRate = 0.0001;
    s.terms.minimumWaived = true;
    s.terms.minimumHkDollar = 20;
    return s;
}

TEST(FeeModelFileTest, FileWithoutTheSectionStaysClassicAndUntouched) {
    for (const std::string& bytes :
         {ym::DefaultSettingsBytes(), std::string("[Select]\r\nSelect1=1\r\n"), std::string()}) {
        TempDir dir;
        Put(dir.file(), bytes);
        const ym::FeeModelRead read = ym::ReadFeeModel(dir.file());
        EXPECT_FALSE(read.present);
        EXPECT_FALSE(read.unreadable);
        EXPECT_EQ(read.settings, FeeModelSettings{});
        // Choosing the classic model never writes the section.
        EXPECT_TRUE(ym::SaveFeeModel(dir.file(), FeeModelSettings{}));
        EXPECT_EQ(Hex(Get(dir.file())), Hex(bytes));
        EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"Yuanmate5.ini"});
    }
    TempDir missing;
    EXPECT_FALSE(ym::ReadFeeModel(missing.file()).present);
}

// The section goes after the four classic sections, which keep every byte, in the file's
// own line ends and number form.
TEST(FeeModelFileTest, OfficialModelAppendsOneSection) {
    TempDir dir;
    Put(dir.file(), ym::DefaultSettingsBytes());
    ASSERT_TRUE(ym::SaveFeeModel(dir.file(), Official()));
    EXPECT_EQ(Hex(Get(dir.file())), Hex(ym::DefaultSettingsBytes() + "[FEERULES]\r\n"
                                                                     "Model=official\r\n"
                                                                     "CommissionRate= .0001\r\n"
                                                                     "MinCommission= 5\r\n"
                                                                     "MinCommissionUSD= 1\r\n"
                                                                     "MinCommissionHKD= 20\r\n"
                                                                     "NoMinimum=1\r\n"
                                                                     "IncludesFees=0\r\n"));
    const ym::FeeModelRead read = ym::ReadFeeModel(dir.file());
    EXPECT_TRUE(read.present);
    EXPECT_TRUE(read.problems.empty());
    EXPECT_EQ(read.settings, Official());

    // What an older program reads from the file is what it read before.
    TempDir plain;
    Put(plain.file(), ym::DefaultSettingsBytes());
    const ym::SettingsRead before = ym::ReadSettings(plain.file());
    const ym::SettingsRead after = ym::ReadSettings(dir.file());
    ASSERT_FALSE(after.error.has_value());
    EXPECT_EQ(after.settings.parameters.shanghai, before.settings.parameters.shanghai);
    EXPECT_EQ(after.settings.parameters.shenzhen, before.settings.parameters.shenzhen);
    EXPECT_EQ(after.settings.Select1, before.settings.Select1);
    EXPECT_EQ(after.settings.Select2, before.settings.Select2);

    // Going back to the classic model keeps the terms for another day.
    FeeModelSettings classic = Official();
    classic.model = FeeModel::Classic;
    ASSERT_TRUE(ym::SaveFeeModel(dir.file(), classic));
    EXPECT_EQ(ym::ReadFeeModel(dir.file()).settings, classic);
    EXPECT_NE(Get(dir.file()).find("[FEERULES]\r\nModel=classic\r\n"), std::string::npos);
}

// Hand-edited values: what is not admissible is replaced by its default and reported.
TEST(FeeModelFileTest, HandEditedValues) {
    struct Case {
        const char* lines;
        FeeModel model;
        double rate;
        double minimum;
        bool waived;
        std::size_t problems;
    };
    for (const Case& c : {
             Case{"Model=OFFICIAL\r\nCommissionRate= 3E-04\r\n", FeeModel::Official, 0.0003, 5,
                  false, 0},
             Case{"model=official\r\ncommissionrate=.0002\r\nNoMinimum=1\r\n", FeeModel::Official,
                  0.0002, 5, true, 0},
             // Above the legal cap of 3‰, and a minimum that is not a number.
             Case{"Model=official\r\nCommissionRate=0.01\r\nMinCommission=5 yuan\r\n",
                  FeeModel::Official, 0.00025, 5, false, 2},
             Case{"Model=official\r\nMinCommission=-5\r\nNoMinimum=yes\r\n", FeeModel::Official,
                  0.00025, 5, false, 2},
             Case{"Model=rules\r\n", FeeModel::Classic, 0.00025, 5, false, 1},
             Case{"Model=\r\nCommissionRate=.0001\r\n", FeeModel::Classic, 0.00025, 5, false, 0},
         }) {
        TempDir dir;
        Put(dir.file(), "[Select]\r\nSelect1=1\r\n[FEERULES]\r\n" + std::string(c.lines));
        const ym::FeeModelRead read = ym::ReadFeeModel(dir.file());
        EXPECT_EQ(read.settings.model, c.model) << c.lines;
        EXPECT_EQ(read.settings.terms.commissionRate, c.rate) << c.lines;
        EXPECT_EQ(read.settings.terms.minimumYuan, c.minimum) << c.lines;
        EXPECT_EQ(read.settings.terms.minimumWaived, c.waived) << c.lines;
        EXPECT_EQ(read.problems.size(), c.problems) << c.lines;
    }
}

TEST(FeeModelFileTest, FailedWriteLeavesTheFile) {
    TempDir dir;
    Put(dir.file(), ym::DefaultSettingsBytes());
    {
        FileSizeLimit limit(ym::DefaultSettingsBytes().size() + 16);
        EXPECT_FALSE(ym::SaveFeeModel(dir.file(), Official()));
    }
    EXPECT_EQ(Hex(Get(dir.file())), Hex(ym::DefaultSettingsBytes()));
}

} // namespace
