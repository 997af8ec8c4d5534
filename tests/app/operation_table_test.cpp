#include "app/OperationTable.h"

#include <gtest/gtest.h>

#include <set>

#include "app/Preconditions.h"

namespace sonavel {
namespace {

// Every operation a user runs has a step of the command line, a caption in both languages
// and parameters whose defaults, ranges and list items fit together at every rate.
TEST(OperationTable, EveryOperationIsDescribedCompletely) {
    std::set<std::string> words;
    std::set<std::string> cliWords;
    for (const TOperationInfo& info : Operations()) {
        const std::string name = info.Word;
        EXPECT_TRUE(words.insert(name).second) << name;
        EXPECT_FALSE(std::string(info.English).empty()) << name;
        EXPECT_EQ(OperationByWord(name), info.Operation) << name;
        if (info.Operation == TOperation::BuildGraph) {
            continue;  // a step of other operations, never run on its own
        }
        ASSERT_NE(info.CliWord, nullptr) << name;
        EXPECT_TRUE(cliWords.insert(info.CliWord).second) << info.CliWord;
        EXPECT_EQ(OperationByCliWord(info.CliWord), info.Operation);
        EXPECT_NE(info.Requirements & NeedsDocument, 0U) << name;
        for (const TParameter& p : info.Parameters) {
            const std::string where = name + " " + p.Key;
            for (std::uint32_t rate : {8000U, 22050U, 44100U, 192000U}) {
                const TFormat format{2, rate};
                const TValue value = p.DefaultFor(format);
                if (p.Type == TParamType::Integer) {
                    const TRange range = p.Range(format);
                    EXPECT_TRUE(range.Contains(std::get<std::int64_t>(value)))
                        << where << " at " << rate;
                    if (p.RangeText == nullptr) {  // a fixed range holds the default unclamped
                        EXPECT_EQ(value, p.Default()) << where;
                    }
                }
                if (p.Type == TParamType::NumberList) {
                    const auto& numbers = std::get<std::vector<std::int64_t>>(value);
                    EXPECT_EQ(numbers.size(), p.Count) << where;
                    for (std::int64_t n : numbers) {
                        EXPECT_TRUE(p.Range(format).Contains(n)) << where;
                    }
                }
            }
            if (p.Type == TParamType::Choice) {
                const auto index = std::get<std::int64_t>(p.Default());
                EXPECT_LT(static_cast<std::size_t>(index), p.Items.size()) << where;
                for (std::size_t i = 0; i < p.Items.size(); ++i) {
                    EXPECT_FALSE(p.ItemText(i, "RUS").empty()) << where << " item " << i;
                    EXPECT_FALSE(p.ItemText(i, "ENG").empty()) << where << " item " << i;
                    EXPECT_TRUE(p.ItemText(i, "DEU").empty()) << where;
                }
            }
        }
    }
}

// Values stored through a parameter come back unchanged, choices of numbers included.
TEST(OperationTable, ParametersStoreAndLoadTheirFields) {
    TDialogValues values;
    const TOperationInfo& rate = Info(TOperation::SampleRateChange);
    rate.Parameters[0].Store(values, std::int64_t{2});
    EXPECT_EQ(values.SampleRateChange.NewValueBox, 22050U);
    EXPECT_EQ(rate.Parameters[0].Load(values), TValue(std::int64_t{2}));
    const TOperationInfo& filter = Info(TOperation::SelDelSpectra);
    FindParameter(filter, "mode")->Store(values, std::int64_t{1});
    EXPECT_FALSE(values.SelDelSpectra.RB1);
    const TOperationInfo& eq = Info(TOperation::Equalize);
    FindParameter(eq, "gains")->Store(values, std::vector<std::int64_t>(16, 200));
    EXPECT_EQ(values.Equalize.Gains[15], 200);
    EXPECT_EQ(FindParameter(Info(TOperation::SetSpeed), "algorithm")->ItemText(1, "RUS"),
              "С сохранением тембра");
}

TEST(OperationTable, DocumentDependentRangesFollowTheRate) {
    const TFormat half{1, 22050};
    EXPECT_EQ(FindParameter(Info(TOperation::OffsetSpectra), "hz")->Range(half).Min, -5512);
    EXPECT_EQ(FindParameter(Info(TOperation::OffsetSpectra), "hz")->Range(half).Max, 5512);
    EXPECT_EQ(FindParameter(Info(TOperation::SelDelSpectra), "high")->Range(half).Max, 11025);
    EXPECT_EQ(std::get<std::int64_t>(
                  FindParameter(Info(TOperation::SelDelSpectra), "high")->DefaultFor(half)),
              11025);
    EXPECT_EQ(FindParameter(Info(TOperation::Equalize), "from")->Range(half).Max, 11025 - 32);

    TDialogValues band;
    band.SelDelSpectra.SE1 = 5000;
    band.SelDelSpectra.SE2 = 300;
    Info(TOperation::SelDelSpectra).Settle(band);
    EXPECT_EQ(band.SelDelSpectra.SE1, 300);
    EXPECT_EQ(band.SelDelSpectra.SE2, 5000);
}

// The run-time check and the enabling rule on the cases where they differ or meet.
TEST(Preconditions, PasteUndoAndChannelDeletion) {
    const unsigned paste = Info(TOperation::Insert).Requirements;
    const unsigned del = Info(TOperation::DelChannel).Requirements;
    struct TCase {
        TConditionState State;
        unsigned Requirements;
        bool Enabled;
        bool Refused;
        bool Message;
    };
    const TCase cases[] = {
        {{.HasDocument = true, .ClipboardLength = 0}, paste, false, true, false},
        {{.HasDocument = true, .ClipboardLength = 1}, paste, true, true, false},
        {{.HasDocument = true, .ClipboardLength = 2}, paste, true, false, false},
        {{.HasDocument = true, .Recording = true, .ClipboardLength = 2},
         paste,
         false,
         false,
         false},
        {{.HasDocument = true, .Channels = 2, .ChannelItem = 0}, del, true, true, true},
        {{.HasDocument = true, .Channels = 2, .ChannelItem = 2}, del, true, false, false},
        {{.HasDocument = true, .Channels = 1, .ChannelItem = 1}, del, true, true, true},
        {{.HasDocument = true, .RestoreCount = 0},
         Info(TOperation::Undo).Requirements,
         false,
         true,
         false},
        {{}, Info(TOperation::SetVolume).Requirements, false, true, false},
        {{.HasDocument = true}, Info(TOperation::SetVolume).Requirements, false, false, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const TCase& c = cases[i];
        EXPECT_EQ(Enabled(c.Requirements, c.State), c.Enabled) << "case " << i;
        const TRefusal refusal = Refusal(c.Requirements, c.State);
        EXPECT_EQ(refusal.Refused, c.Refused) << "case " << i;
        EXPECT_EQ(!refusal.Message.Text("ENG").empty(), c.Message) << "case " << i;
    }
}

}  // namespace
}  // namespace sonavel
