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
    std::vector<std::pair<Ctl, const char*>> texts{{field::FreeLength, "30"}, {field::InitialCompression, "5.0"},
                                                   {field::Stroke, "7"}, {field::InitialLoadKgf, "15"},
                                                   {field::StartLoadKgf, "29.5"}, {field::FinalLoadKgf, "36"},
                                                   {field::PlateThickness, "1.5"}, {field::Bite, "3"}};
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
               {{field::FreeLength, "38.5"}, {field::InitialCompression, "12.25"}, {field::Stroke, "0.1"},
                {field::PlateThickness, "1.25"}, {field::Bite, "2"}},
               "All,38.5,12.25,0.1,26.25,26.15,15,29.5,36,3.25"},
        SpCase{"NoWorkingPointReadsNoDieData", "all",
               {{field::StartLoadKgf, "---"}, {field::InitialLoadKgf, "---"}, {field::PlateThickness, ""},
                {field::Bite, ""}},
               "SppOnly,30,5.0,7,25,18,---,,36,"},
        SpCase{"AnEmptyInitialCompressionStops", "all", {{field::InitialCompression, ""}}, ",30,,7,,,,,,"},
        SpCase{"AnEmptyPlateStopsAfterTheStartLoad", "all", {{field::PlateThickness, ""}}, ",30,5.0,7,25,18,15,29.5,,"},
        // A line break is no number: the record, which no data file is
        // written from, stops where the box is read.
        SpCase{"ALineBreakBeforeTheInitialCompressionStops", "all", {{field::InitialCompression, "\n2"}},
               ",30,\n2,7,,,,,,"},
        SpCase{"ALineBreakAfterTheStrokeStops", "all", {{field::Stroke, "1.6\n"}}, ",30,5.0,1.6\n,25,,,,,"},
        SpCase{"AWindowsLineEndAfterTheBiteStops", "all", {{field::Bite, "3\r\n"}}, ",30,5.0,7,25,18,15,29.5,,"},
        // The plate is emptied by the switch to mode "part".
        SpCase{"PressureOnlyTakesTheDistanceBeforeBottomDeadCentre", "part",
               {{field::PlateThickness, ""}, {field::Bite, "0"}, {field::StartBeforeBottom, "3"},
                {field::StartLoadKgf, "220"}},
               "All,30,5.0,7,25,18,15,220,36,3"},
        SpCase{"PressureOnlyWithoutAStartLoad", "part",
               {{field::PlateThickness, ""}, {field::Bite, "0"}, {field::StartBeforeBottom, "3"},
                {field::StartLoadKgf, "---"}},
               "SppOnly,30,5.0,7,25,18,15,,36,"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tolvane::test
