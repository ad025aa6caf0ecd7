// The load step: what the log holds for a normal start and for each start
// that must end, and the window's state once it has started.
#include "frame/frametest.h"

#include <QLockFile>
#include <QProcess>
#include <QListWidget>

namespace tolvane::test {
namespace {

const QString kStart = QStringLiteral("□Eve：□------------------------ Tolvane 起動処理開始 ------------------------□");
const QString kEnd = QStringLiteral("□Eve：■----------------------------- Tolvane 終了 -----------------------------■");

using StartupTest = WindowTest;

TEST_F(StartupTest, NormalStartLogsItsThreeLinesAndMakesTheSettings)
{
    started();
    EXPECT_EQ(sandbox.logMessages(),
              (QStringList{kStart, QStringLiteral("□Eve：設定読込完了"), QStringLiteral("□Eve：○Tolvane 起動")}));
    EXPECT_TRUE(QFileInfo::exists(SettingFolder() + QStringLiteral("/Settings.ini")));
    EXPECT_EQ(SkinName(), QStringLiteral("Dark"));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(window->ended());
    EXPECT_EQ(window->startDate(), QStringLiteral("2026/12/06 9:05:07"));
}

TEST_F(StartupTest, MissingMaterialsEndsBeforeTheSingleCopyCheck)
{
    QDir(MaterialsFolder()).removeRecursively();
    makeWindow();
    EXPECT_EQ(window->startUp(), StartResult::Stop);
    const QString folder = ProgramFolder();
    EXPECT_EQ(sandbox.logMessages(),
              (QStringList{kStart, QStringLiteral("□Eve：") + folder + QStringLiteral("内にmaterialsが存在しない。"), kEnd}));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].style, 64);
    EXPECT_TRUE(ui.boxes[0].title.isEmpty());
    EXPECT_EQ(ui.boxes[0].prompt,
              folder + QStringLiteral("内に、\rmaterialsフォルダが存在しない為、Tolvaneを起動できません。\r"
                                      "フォルダ（及びフォルダ内のファイル）を正しく配置するか、本ソフトウェアを再インストールしてください。\r"));
    EXPECT_FALSE(QFileInfo::exists(sandbox.root() + QStringLiteral("/tolvane.lock")));
}

TEST_F(StartupTest, MissingCatalogueEndsAfterTheSplashWithoutAnEndLine)
{
    QFile::remove(ProgramFolder() + QStringLiteral("/ZEKA.mdb"));
    // The splash's housekeeping has run: a log of ten days ago is gone.
    ExistLogFolder();
    const QString old = LogFolder() + QStringLiteral("/Vorn-2026-11-26.log");
    writeAll(old, "old\r\n");
    QFile f(old);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addDays(-10), QFileDevice::FileModificationTime));
    f.close();

    makeWindow();
    EXPECT_EQ(window->startUp(), StartResult::Stop);
    EXPECT_EQ(sandbox.logMessages(),
              (QStringList{kStart, QStringLiteral("□Eve：設定読込完了"),
                           QStringLiteral("□Eve：保存期間を超過したログファイル [ ") + old + QStringLiteral(" ]を削除"),
                           QStringLiteral("□Eve：データベースへの接続不可：データベースファイルが存在しない")}));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, QStringLiteral("データベースエラー"));
    EXPECT_EQ(ui.boxes[0].style, 64);
    EXPECT_TRUE(ui.boxes[0].prompt.startsWith(
        QStringLiteral("データベースが組み込まれていません\rデータベースファイルをインストールしてください\r\r"
                       "データベースファイルはVornホームページより無償でダウンロードしていただけます。\rhttp://")));
    EXPECT_TRUE(ui.boxes[0].prompt.endsWith(QStringLiteral("/vorn/download.html")));
    // The defaults come before the catalogue check; only the spin controls wait for it.
    EXPECT_TRUE(form()[Ctl::Option1].value);
    EXPECT_FALSE(form()[Ctl::mnuPrint].enabled);
    EXPECT_FALSE(form()[Ctl::Text12].enabled);
    EXPECT_EQ(form()[Ctl::Picture3].backColor, 0x0000FFu);
    EXPECT_TRUE(form().text(Ctl::Text5).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(old));
}

TEST_F(StartupTest, ASecondCopyIsRefusedWithoutAnEndLine)
{
    QLockFile first(sandbox.root() + QStringLiteral("/tolvane.lock"));
    ASSERT_TRUE(first.tryLock(0));
    makeWindow();
    EXPECT_EQ(window->startUp(), StartResult::Stop);
    EXPECT_EQ(sandbox.logMessages(), (QStringList{kStart, QStringLiteral("□Eve：設定読込完了")}));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, QStringLiteral("すでに「Tolvane」は起動されています。"));
    EXPECT_EQ(ui.boxes[0].style, 48);
    EXPECT_EQ(ui.boxes[0].title, QStringLiteral("Tolvane"));
}

TEST_F(StartupTest, ALockLeftByACrashedCopyIsTakenOver)
{
    // A process that has ended leaves its number behind in the lock file.
    QProcess gone;
    gone.start(QStringLiteral("true"), {});
    ASSERT_TRUE(gone.waitForFinished());
    const qint64 deadPid = gone.processId();
    writeAll(sandbox.root() + QStringLiteral("/tolvane.lock"),
             QByteArray::number(deadPid > 0 ? deadPid : 999999) + "\ntolvane\n\n");
    started();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(sandbox.logMessages().last(), QStringLiteral("□Eve：○Tolvane 起動"));
}

TEST_F(StartupTest, DefaultsAfterStartUp)
{
    started();
    for (const char* m : {"mnuCopy", "mnuPrint", "mnuAllsel", "mnuCut", "mnuSave2", "mnuDxf"})
        EXPECT_FALSE(menu(m)->isEnabled()) << m;
    for (const char* m : {"mnuDxf", "mnuPrinter", "mnuEnd", "mnuTEXT", "mnuCria", "mnuDentaku", "mnuLight", "mnuDark",
                          "mnuProgram", "mnuHome", "mnuVer"})
        EXPECT_TRUE(std::string(m) == "mnuDxf" || menu(m)->isEnabled()) << m;

    EXPECT_FALSE(widget("imgSelectAll")->isEnabled());
    EXPECT_FALSE(widget("imgCopy")->isEnabled());
    EXPECT_FALSE(widget("imgOutputDXF")->isEnabled());
    EXPECT_EQ(pictureOf("imgSelectAll"), QStringLiteral("materials/select_all_disable.gif"));
    EXPECT_EQ(pictureOf("imgCopy"), QStringLiteral("materials/copy_disable.gif"));
    EXPECT_EQ(pictureOf("imgOutputDXF"), QStringLiteral("materials/output_dxf_disable.gif"));
    EXPECT_EQ(pictureOf("imgDisplayTxt"), QStringLiteral("materials/display_txt_off.gif"));
    EXPECT_EQ(pictureOf("imgHowToUse"), QStringLiteral("materials/howToUse_off.gif"));
    EXPECT_EQ(pictureOf("imgSquare1Sp"), QStringLiteral("materials/square_sp1_on.gif"));
    EXPECT_EQ(pictureOf("imgRoundSp"), QStringLiteral("materials/round_sp_off.gif"));
    EXPECT_EQ(pictureOf("imgSWX"), QStringLiteral("materials/SWX_off.gif"));
    EXPECT_EQ(pictureOf("imgWB"), QStringLiteral("materials/WB_off.gif"));
    EXPECT_FALSE(widget<QLabel>("imgMsgBackGround")->pixmap().isNull());
    EXPECT_EQ(widget("imgHowToUse")->cursor().shape(), Qt::BitmapCursor);

    EXPECT_TRUE(widget<QRadioButton>("Option1")->isChecked());
    EXPECT_FALSE(widget<QRadioButton>("Option2")->isChecked());
    EXPECT_EQ(window->model().InputMode, QStringLiteral("all"));
    EXPECT_EQ(window->model().SaveState, QStringLiteral("SaveNon"));
    EXPECT_EQ(window->model().SpringKind, QStringLiteral("K1"));
    EXPECT_FALSE(widget("Label37")->isEnabled());
    EXPECT_FALSE(widget("Text12")->isEnabled());
    EXPECT_EQ(form()[Ctl::Text12].backColor, 0x8000000Au);
    EXPECT_TRUE(window->model().DbFilePath.endsWith(QStringLiteral("/ZEKA.mdb")));

    const struct { const char* spin; const char* box; int min, max, value; } spins[] = {
        {"UpDown1", "Text5", 1, 100, 35}, {"UpDown2", "Text8", 1, 99, 5},
        {"UpDown3", "Text10", 1, 99, 1},  {"UpDown4", "Text11", 0, 300, 0}};
    for (const auto& s : spins) {
        QWidget* spin = widget(s.spin);
        EXPECT_EQ(spin->property("spinMin").toInt(), s.min) << s.spin;
        EXPECT_EQ(spin->property("spinMax").toInt(), s.max) << s.spin;
        EXPECT_EQ(spin->property("spinValue").toInt(), s.value) << s.spin;
        EXPECT_EQ(widget<QLineEdit>(s.box)->text(), QString::number(s.value)) << s.box;
    }

    // The three series frames share one place; only the kind "K1"'s shows.
    for (const char* f : {"Frame4", "Frame5", "Frame6"})
        EXPECT_EQ(widget(f)->pos(), QPoint(8, 296)) << f;
    EXPECT_FALSE(widget("Frame4")->isHidden());
    EXPECT_TRUE(widget("Frame5")->isHidden());
    EXPECT_TRUE(widget("Frame6")->isHidden());
}

TEST_F(StartupTest, EveryNamedControlIsInTheWindow)
{
    makeWindow();
    for (int i = 0; i < kControlCount; ++i) {
        const QString name = controlName(static_cast<Ctl>(i));
        EXPECT_TRUE(window->control(name) || window->menuAction(name)) << name.toStdString();
    }
    for (const char* n : {"imgDisplayTxt", "imgClearData", "imgAllClear", "imgTotalOutput", "imgHowToUse", "Label84",
                          "Label85", "Label70", "Label71", "Label80", "Label81", "List3", "lblMsg", "imgMsgBackGround",
                          "Picture5", "Picture16", "Frame1", "Frame2", "Frame3", "Frame7", "Frame8", "StatusBar1"})
        EXPECT_TRUE(window->control(QString::fromLatin1(n))) << n;
    for (const char* n : {"mnuFile", "mnuEdit", "mnuTool", "mnuHelp", "mnuSkin", "mnuLine1", "mnuLine2", "mnuLine4",
                          "mnuLine6", "mnuLine7", "mnuLine8", "mnuEnd", "mnuPrinter"})
        EXPECT_TRUE(window->menuAction(QString::fromLatin1(n))) << n;
    EXPECT_EQ(qobject_cast<VerticalLabel*>(window->control(QStringLiteral("Label85")))->reading(), QStringLiteral("最大タワミ率"));
    EXPECT_EQ(qobject_cast<VerticalLabel*>(window->control(QStringLiteral("Label84")))->reading(),
              QStringLiteral("使用回数によるタワミ率"));
    EXPECT_EQ(window->menuAction(QStringLiteral("mnuPrint"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    EXPECT_EQ(window->menuAction(QStringLiteral("mnuCopy"))->text(), QStringLiteral("コピー(&C)"));
    EXPECT_EQ(window->menuAction(QStringLiteral("mnuHome"))->text(), QStringLiteral("Vorn X ホームページ"));
}

TEST_F(StartupTest, AMissingSeriesPictureStopsTheLoadingAtItsRow)
{
    QFile::remove(MaterialsFolder() + QStringLiteral("/SWZ_off.gif"));
    started();
    EXPECT_TRUE(sandbox.logMessages().contains(
        QStringLiteral("■Err：[frmMain]-[LoadImages()]：ファイルが見つかりません。：エラー番号 -> 53")));
    EXPECT_EQ(pictureOf("imgSWG"), QStringLiteral("materials/SWG_off.gif"));
    EXPECT_EQ(pictureOf("imgRoundSp"), QStringLiteral("materials/round_sp_off.gif"));
    // The rows after it keep their design pictures: none for the toolbar.
    for (const char* n : {"imgSWZ", "imgDisplayTxt", "imgHowToUse", "imgTotalOutput"})
        EXPECT_TRUE(pictureOf(n).isEmpty()) << n;
    EXPECT_TRUE(widget<QLabel>("imgMsgBackGround")->pixmap().isNull());
    EXPECT_NE(widget("imgHowToUse")->cursor().shape(), Qt::BitmapCursor);
    // Start-up goes on to its last line.
    EXPECT_EQ(sandbox.logMessages().last(), QStringLiteral("□Eve：○Tolvane 起動"));
}

TEST_F(StartupTest, AMissingCursorLeavesEveryPictureLoaded)
{
    QFile::remove(MaterialsFolder() + QStringLiteral("/cursor.cur"));
    started();
    EXPECT_EQ(pictureOf("imgHowToUse"), QStringLiteral("materials/howToUse_off.gif"));
    EXPECT_FALSE(widget<QLabel>("imgMsgBackGround")->pixmap().isNull());
    EXPECT_NE(widget("imgHowToUse")->cursor().shape(), Qt::BitmapCursor);
    EXPECT_NE(widget("lblMsg")->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(sandbox.logMessages().filter(QStringLiteral("LoadImages")).size(), 1);
}

TEST_F(StartupTest, TheBannerIsMadeLoadedStartedAndCleanedUpInItsPlaces)
{
    QStringList calls;
    FramePorts p = ports();
    p.hooks.makeBanner = [&](MainWindow&) {
        calls << QStringLiteral("make");
        auto* banner = new QWidget;
        banner->setObjectName(QStringLiteral("imgMsgBackGround"));
        (new QLabel(QStringLiteral("news"), banner))->setObjectName(QStringLiteral("lblMsg"));
        return banner;
    };
    p.hooks.loadBannerBackground = [&] { calls << QStringLiteral("background"); };
    p.hooks.loadBannerCursor = [&] { calls << QStringLiteral("cursor"); };
    p.hooks.startBannerTicks = [&] {
        calls << QStringLiteral("tick");
        EXPECT_FALSE(sandbox.logMessages().contains(QStringLiteral("□Eve：設定読込完了")));
    };
    p.hooks.initMsgBanner = [&](MainWindow& w) {
        calls << QStringLiteral("init");
        EXPECT_EQ(w.form().text(Ctl::Text5), QStringLiteral("35"));  // after the spin controls
        EXPECT_FALSE(sandbox.logMessages().contains(QStringLiteral("□Eve：○Tolvane 起動")));
    };
    p.hooks.cleanUpBanner = [&] { calls << QStringLiteral("clean"); };
    window = std::make_unique<MainWindow>(p);
    EXPECT_EQ(window->startUp(), StartResult::Run);
    window->mnuEnd_Click();
    EXPECT_EQ(calls, (QStringList{QStringLiteral("make"), QStringLiteral("background"), QStringLiteral("cursor"),
                                  QStringLiteral("tick"), QStringLiteral("init"), QStringLiteral("clean")}));
    auto* msg = window->bannerLabel();
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->text(), QStringLiteral("news"));
    EXPECT_EQ(window->control(QStringLiteral("imgMsgBackGround"))->parentWidget(), window->bannerFrame());
    EXPECT_EQ(window->bannerFrame()->findChildren<QLabel*>(QStringLiteral("lblMsg")).size(), 1);
}

// --- skins -------------------------------------------------------------------------

class SkinTest : public WindowTest {
protected:
    // The colour number last given to the widget, through the model or not.
    quint32 backOf(const char* name) { return widget(name)->property("backColorRef").value<qulonglong>(); }
    quint32 foreOf(const char* name) { return widget(name)->property("foreColorRef").value<qulonglong>(); }
    void startWithSkin(const QByteArray& ini)
    {
        ExistSettingFolder();
        writeAll(SettingFolder() + QStringLiteral("/Settings.ini"), ini);
        started();
    }
    void expectLight()
    {
        EXPECT_EQ(window->property("backColorRef").value<qulonglong>(), 0x8000000Fu);
        for (const char* n : {"Frame1", "Frame4", "Frame7", "Option1", "Option15"})
            EXPECT_EQ(backOf(n), 0x8000000Fu) << n;
        EXPECT_EQ(backOf("Text1"), 0xFFFFFFu);
        EXPECT_EQ(foreOf("Text1"), 0x80000008u);
        for (const char* n : {"Frame2", "Option2", "Label1", "Label12", "Label20", "Label31", "Label37", "Label52",
                              "Label53", "Label84", "Label85"})
            EXPECT_EQ(foreOf(n), 0x80000008u) << n;
        EXPECT_EQ(foreOf("Label80"), 0xFF8080u);
        EXPECT_EQ(foreOf("Label81"), 0xFF0000u);
    }
    void expectDark()
    {
        EXPECT_EQ(window->property("backColorRef").value<qulonglong>(), 0x303030u);
        for (const char* n : {"Frame1", "Frame4", "Frame7", "Option1", "Option15", "Text1"})
            EXPECT_EQ(backOf(n), 0x303030u) << n;
        for (const char* n : {"Frame2", "Option2", "Text1", "Label1", "Label12", "Label20", "Label31", "Label37",
                              "Label52", "Label53", "Label84", "Label85", "Label80"})
            EXPECT_EQ(foreOf(n), 0xFFFFFFu) << n;
        EXPECT_EQ(foreOf("Label81"), 0xFF8080u);
    }
};

TEST_F(SkinTest, LightFromTheSettings)
{
    startWithSkin("[Design]\r\n\r\nFORM_SKIN=Light");
    expectLight();
    // Controls outside the table keep their own colours in both looks.
    EXPECT_EQ(foreOf("Label38"), 0xFFFFFFu);
    EXPECT_EQ(backOf("Label43"), 0xFFFFFFu);
}

TEST_F(SkinTest, DarkErrorAndLowerCaseAllGiveTheDarkLook)
{
    for (const QByteArray& ini : {QByteArray("[Design]\r\n\r\nFORM_SKIN=Dark"), QByteArray("[Design]\r\n"),
                                  QByteArray("[Design]\r\nFORM_SKIN=light")}) {
        ui.boxes.clear();
        startWithSkin(ini);
        expectDark();
        window.reset();
    }
}

TEST_F(SkinTest, TheMenuWritesTheSettingAndRecoloursAtOnce)
{
    startWithSkin("[Design]\r\n\r\nFORM_SKIN=Dark");
    const quint32 before = foreOf("Label38");
    window->mnuLight_Click();
    EXPECT_EQ(GetINIValue(QStringLiteral("Design"), QStringLiteral("FORM_SKIN")), QStringLiteral("Light"));
    expectLight();
    window->mnuDark_Click();
    expectDark();
    window->mnuLight_Click();
    expectLight();
    EXPECT_EQ(foreOf("Label38"), before);
    EXPECT_EQ(readAll(SettingFolder() + QStringLiteral("/Settings.ini")), QByteArray("[Design]\r\n\r\nFORM_SKIN=Light"));
}

}  // namespace
}  // namespace tolvane::test
