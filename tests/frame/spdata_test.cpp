// The spring record filled from the window's texts.
#include "calc/form.h"
#include "calc/spdata.h"
#include "calc/springrecord.h"
#include "services/folders.h"
#include "support/sandbox.h"

#include <vector>

namespace tolvane::test {
namespace {

struct SpCase {
    const char* name;
    const char* mode;
    std::vector<std::pair<Ctl, const char*>> texts;  // over a result of mode "all" with a working point
    const char* record;                                // no kind: the fill stopped with one error line
};
void PrintTo(const SpCase& c, std::ostream* os) { *os << c.name; }
class SpData : public ::testing::TestWithParam<SpCase> {
protected:
    void SetUp() override { ExistLogFolder(); }
    void TearDown() override { ClearGlobalValue(); }
    Sandbox sandbox;
};

TEST_P(SpData, FillsTheRecord)
{
    const SpCase& c = GetParam();
    Form form;
    std::vector<std::pair<Ctl, const char*>> texts{{Ctl::Label24, "30"}, {Ctl::Text9, "5.0"}, {Ctl::Text3, "7"},
                                                   {Ctl::Label46, "15"}, {Ctl::Label49, "29.5"}, {Ctl::Label47, "36"},
                                                   {Ctl::Text2, "1.5"},  {Ctl::Text11, "3"}};
    texts.insert(texts.end(), c.texts.begin(), c.texts.end());
    for (const auto& [ctl, text] : texts)
        form.setText(ctl, QString::fromUtf8(text));
    ClearGlobalValue();
    const bool complete = !QString::fromLatin1(c.record).startsWith(u',');
    EXPECT_EQ(setSpData(form, QString::fromLatin1(c.mode)), complete);
    EXPECT_EQ(springRecord().fields(), QString::fromUtf8(c.record).split(u','));
    EXPECT_EQ(sandbox.logMessages(),
              complete ? QStringList() : QStringList{QStringLiteral("■Err：[frmMain]-[setSpData()]：型が一致しません。：エラー番号 -> 13")});
}

INSTANTIATE_TEST_SUITE_P(
    Records, SpData,
    ::testing::Values(
        SpCase{"AllWithAWorkingPoint", "all", {}, "All,30,5.0,7,25,18,15,29.5,36,4.5"},
        SpCase{"LengthsAreUnroundedTexts", "all",
               {{Ctl::Label24, "38.5"}, {Ctl::Text9, "12.25"}, {Ctl::Text3, "0.1"}, {Ctl::Text2, "1.25"}, {Ctl::Text11, "2"}},
               "All,38.5,12.25,0.1,26.25,26.15,15,29.5,36,3.25"},
        SpCase{"NoWorkingPointReadsNoDieData", "all",
               {{Ctl::Label49, "---"}, {Ctl::Label46, "---"}, {Ctl::Text2, ""}, {Ctl::Text11, ""}},
               "SppOnly,30,5.0,7,25,18,---,,36,"},
        SpCase{"AnEmptyInitialCompressionStops", "all", {{Ctl::Text9, ""}}, ",30,,7,,,,,,"},
        SpCase{"AnEmptyPlateStopsAfterTheStartLoad", "all", {{Ctl::Text2, ""}}, ",30,5.0,7,25,18,15,29.5,,"},
        // The plate is emptied by the switch to mode "part".
        SpCase{"PressureOnlyTakesTheDistanceBeforeBottomDeadCentre", "part",
               {{Ctl::Text2, ""}, {Ctl::Text11, "0"}, {Ctl::Text12, "3"}, {Ctl::Label49, "220"}},
               "All,30,5.0,7,25,18,15,220,36,3"},
        SpCase{"PressureOnlyWithoutAStartLoad", "part",
               {{Ctl::Text2, ""}, {Ctl::Text11, "0"}, {Ctl::Text12, "3"}, {Ctl::Label49, "---"}},
               "SppOnly,30,5.0,7,25,18,15,,36,"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tolvane::test
