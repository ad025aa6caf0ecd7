// The window's lookups on a maker's Access (Jet) catalogue: the sample written
// as Access files gives the same window as the sample itself, and a broken
// file fails the lookup as a missing one does.
#include "calc_fixture.h"

#include "catalogue/catalogue.h"
#include "catalogue/copies.h"
#include "support/catalogue_reader.h"

#include <gtest/gtest.h>

using namespace tolvane;
using namespace tolvane::test;

namespace {

const QString kReader = QStringLiteral(TOLVANE_APP_DIR "/tolvane-catalogue");
const QString kConnect = QStringLiteral(";DATABASE=ZEKA.mdb;pwd=Rm4tQx82pLw");

// The sample catalogue written as the maker's Access files gives the window
// the same lists, labels and results as the sample itself, step by step.
TEST_F(CalcTest, TheSampleAsAccessFilesGivesTheSameWindow)
{
    const auto walk = [&](const QString& folder) {
        for (const QString file : {"/ZEKA.mdb", "/ZEKA_D.mdb"}) {
            QFile::remove(sandbox.root() + "/program" + file);
            EXPECT_TRUE(QFile::copy(folder + file, sandbox.root() + "/program" + file));
        }
        model = std::make_unique<CalcModel>(ui, screen);
        model->startUp();
        QStringList seen;
        const auto look = [&] {
            for (int i = 0; i < kControlCount; ++i) {
                const ControlState& c = form()[static_cast<Ctl>(i)];
                seen << controlName(static_cast<Ctl>(i)) + ' ' + c.text + ' ' + c.items.join(u'|') + ' ' +
                            QString::number(c.enabled) + QString::number(c.foreColor);
            }
        };
        for (const char* code : {"SWB", "SWG", "WY"}) {
            model->seriesClicked(code);
            look();
            model->userClickedList(field::DiameterList, 1);
            look();
            model->userClickedList(field::SizeList, static_cast<int>(form()[field::SizeList].items.size()) - 1);
            look();
            for (const auto& [box, t] : Texts{{field::PlateThickness, "2"}, {field::ProcessingLength, "100"},
                                              {field::SpringCount, "4"}, {field::InitialCompression, "3"},
                                              {field::Stroke, "10"}})
                type(box, t);
            look();
        }
        return seen;
    };
    useCatalogueReader(kReader);
    // The version, and size numbers compared as text without regard to case.
    const QString jet = QStringLiteral(TOLVANE_JET_CATALOGUE "/ZEKA.mdb");
    EXPECT_EQ(readDatabaseVersion(jet), "2026.12");
    EXPECT_EQ(runCatalogueQuery(jet, kConnect, "SELECT * FROM [SWB] WHERE [no] = 'swb6-10';").rows.size(), 1);
    const QStringList fromSample = walk(QStringLiteral(TOLVANE_APP_DIR));
    const QStringList fromJet = walk(QStringLiteral(TOLVANE_JET_CATALOGUE));
    ASSERT_EQ(fromJet.size(), fromSample.size());
    for (qsizetype i = 0; i < fromJet.size(); ++i)
        EXPECT_EQ(fromJet[i], fromSample[i]);
    EXPECT_TRUE(fromSample.contains(QStringLiteral("Label21 WY5-50  10")));
    EXPECT_EQ(errors(), QStringList{});
    EXPECT_TRUE(ui.boxes.isEmpty());
}

// A broken maker's file behaves in the window as a missing one does: an
// error line, no message, the lists as they were.
TEST_F(CalcTest, ABrokenJetCatalogueFailsTheLookupWithItsErrorLine)
{
    useCatalogueReader(kReader);
    const QString zeka = sandbox.root() + QStringLiteral("/program/ZEKA.mdb");
    writeAll(zeka, readAll(QStringLiteral(TOLVANE_JET_FIXTURES "/V1997_test.mdb")).left(40000));
    form().setItems(field::SizeList, {QStringLiteral("SWB6-10")});
    model->seriesClicked(QStringLiteral("SWB"));
    EXPECT_EQ(form()[field::SizeList].items, QStringList{"SWB6-10"});
    EXPECT_TRUE(ui.boxes.isEmpty());
    ASSERT_EQ(errors().size(), 1);
    EXPECT_EQ(errors()[0], QStringLiteral("■Err：[frmMain]-[DataSearch()]：データベース '") +
                               QDir::toNativeSeparators(zeka) +
                               QStringLiteral("' を開けません。ファイルが破損している可能性があります。：エラー番号 -> 3049"));
}

}  // namespace
