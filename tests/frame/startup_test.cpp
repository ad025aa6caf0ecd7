// The load step: what the log holds for a normal start and for each start
// that must end, and the window's state once it has started.
#include "frame/frametest.h"

#include "app/program.h"

#include "frame/dxfdialog.h"
#include "frame/instancelock.h"
#include "frame/regiondialog.h"
#include "frame/totaldialog.h"
#include "frame/versiondialog.h"
#include "frame/webservers.h"


namespace tolvane::test {
namespace {

const QString kStart = QStringLiteral("□Eve：□------------------------ Tolvane 起動処理開始 ------------------------□");
const QString kReady = QStringLiteral("□Eve：設定読込完了");
const QString kStarted = QStringLiteral("□Eve：○Tolvane 起動");

using StartupTest = WindowTest;

TEST_F(StartupTest, NormalStartLogsItsThreeLinesAndSetsTheDefaults)
{
    started();
    EXPECT_EQ(sandbox.logMessages(), (QStringList{kStart, kReady, kStarted}));
    EXPECT_EQ(SkinName(), QStringLiteral("Dark"));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(window->startDate(), QStringLiteral("2026/12/06 9:05:07"));

    // The buttons' off state is looked at in the screen tests.
    for (const char* m : {"mnuCopy", "mnuPrint", "mnuAllsel", "mnuCut", "mnuSave2", "mnuDxf"})
        EXPECT_FALSE(menu(m)->isEnabled()) << m;
    EXPECT_EQ(pictureOf("imgSelectAll"), QStringLiteral("materials/select_all_disable.gif"));
    EXPECT_EQ(pictureOf("imgCopy"), QStringLiteral("materials/copy_disable.gif"));
    EXPECT_EQ(pictureOf("imgOutputDXF"), QStringLiteral("materials/output_dxf_disable.gif"));
    EXPECT_EQ(pictureOf("imgSquare1Sp"), QStringLiteral("materials/square_sp1_on.gif"));
    EXPECT_EQ(pictureOf("imgSWX"), QStringLiteral("materials/SWX_off.gif"));
    EXPECT_FALSE(widget<QLabel>("imgMsgBackGround")->pixmap().isNull());
    EXPECT_EQ(widget("imgHowToUse")->cursor().shape(), Qt::BitmapCursor);

    EXPECT_TRUE(widget<QRadioButton>("Option1")->isChecked());
    EXPECT_FALSE(widget("Text12")->isEnabled());
    EXPECT_EQ(form()[field::StartBeforeBottom].backColor, 0x8000000Au);
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
    // Only the kind "K1"'s series frame shows.
    EXPECT_FALSE(widget("Frame4")->isHidden());
    EXPECT_TRUE(widget("Frame5")->isHidden());
}

// The catalogue copies are cleaned up before the window: on a first start
// too, why a copy folder is passed over is in the log.
TEST_F(StartupTest, AFirstStartLogsWhyACopyFolderIsPassedOver)
{
    const QString copies = CacheFolder() + QStringLiteral("/catalogue");
    ASSERT_TRUE(QDir().mkpath(copies) && QFile::setPermissions(copies, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                                                QFile::ReadGroup | QFile::ExeGroup));
    ASSERT_FALSE(QFileInfo::exists(LogFolder()));
    cleanUpCatalogueCopiesAtStart();
    EXPECT_EQ(sandbox.logMessages().value(0), QStringLiteral("□Eve：tolvane-catalogue: ") + copies +
                                                  QStringLiteral(" をコピーのフォルダに使いません (モードが 0750 で、0700 ではありません)"));
}

TEST_F(StartupTest, MissingMaterialsEndsBeforeTheSingleCopyCheck)
{
    QDir(MaterialsFolder()).removeRecursively();
    makeWindow();
    EXPECT_EQ(window->startUp(), StartResult::Stop);
    const QString folder = ProgramFolder();
    EXPECT_EQ(sandbox.logMessages(),
              (QStringList{kStart, QStringLiteral("□Eve：") + folder + QStringLiteral("内にmaterialsが存在しない。"), kEnd}));
    EXPECT_EQ(ui.boxes, (Boxes{{folder + QStringLiteral("内に、\rmaterialsフォルダが存在しない為、Tolvaneを起動できません。\r"
                                                       "フォルダ（及びフォルダ内のファイル）を正しく配置するか、本ソフトウェアを再インストールしてください。\r"),
                                64, QString()}}));
    EXPECT_FALSE(QFileInfo::exists(sandbox.root() + QStringLiteral("/tolvane.lock")));
}

TEST_F(StartupTest, MissingCatalogueEndsAfterTheSplashWithoutAnEndLine)
{
    QFile::remove(ProgramFolder() + QStringLiteral("/ZEKA.mdb"));
    // The splash's housekeeping has run: a log of ten days before the test's
    // today is gone.
    ExistLogFolder();
    const QString old = LogFolder() + QStringLiteral("/Vorn-2026-11-26.log");
    writeAll(old, "old\r\n");
    QFile f(old);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.setFileTime(sandbox.clock().now().addDays(-10), QFileDevice::FileModificationTime));

    makeWindow();
    EXPECT_EQ(window->startUp(), StartResult::Stop);
    EXPECT_EQ(sandbox.logMessages(),
              (QStringList{kStart, kReady, QStringLiteral("□Eve：保存期間を超過したログファイル [ ") + old + QStringLiteral(" ]を削除"),
                           QStringLiteral("□Eve：データベースへの接続不可：データベースファイルが存在しない")}));
    EXPECT_FALSE(QFileInfo::exists(old));
    EXPECT_EQ(ui.boxes, (Boxes{{QStringLiteral("データベースが組み込まれていません\rデータベースファイルをインストールしてください\r\r"
                                               "データベースファイルはVornホームページより無償でダウンロードしていただけます。\r")
                                    + databaseDownloadUrl(),
                                64, QStringLiteral("データベースエラー")}}));
    // The defaults come before the catalogue check; only the spin controls wait for it.
    EXPECT_TRUE(form()[field::ModeAll].value);
    EXPECT_FALSE(form()[field::StartBeforeBottom].enabled);
    EXPECT_TRUE(form().text(field::ShearFactor).isEmpty());
}

TEST_F(StartupTest, ASecondCopyIsRefusedWithoutAnEndLine)
{
    InstanceLock first(sandbox.root() + QStringLiteral("/tolvane.lock"));
    ASSERT_EQ(first.acquire(), InstanceLock::Result::Acquired);
    makeWindow();
    EXPECT_EQ(window->startUp(), StartResult::Stop);
    EXPECT_EQ(sandbox.logMessages(), (QStringList{kStart, kReady}));
    EXPECT_EQ(ui.boxes, (Boxes{{QStringLiteral("すでに「Tolvane」は起動されています。"), 48, QStringLiteral("Tolvane")}}));
}

TEST_F(StartupTest, ALockLeftByACrashedCopyIsTakenOver)
{
    // A process that has ended leaves its number behind in the lock file.
    writeAll(sandbox.root() + QStringLiteral("/tolvane.lock"), "999999\ntolvane\n\n");
    started();
    EXPECT_EQ(sandbox.logMessages().last(), kStarted);
}

// A lock that cannot be made is an event, not a failed start: the cache
// folder's lock is taken instead, and without that one too the start goes
// on unchecked.
TEST_F(StartupTest, ALockThatCannotBeMadeIsLoggedAndTheStartGoesOn)
{
    const QString lock = sandbox.root() + QStringLiteral("/tolvane.lock"), cached = CacheFolder() + QStringLiteral("/tolvane.lock");
    ASSERT_TRUE(QDir().mkdir(lock));
    started();
    EXPECT_EQ(sandbox.logMessages(),
              (QStringList{kStart, kReady,
                           QStringLiteral("□Eve：起動中の確認用ファイル [ ") + lock + QStringLiteral(" ] を作成できないため、[ ") + cached
                               + QStringLiteral(" ] で確認します。"),
                           kStarted}));
    EXPECT_EQ(InstanceLock(cached).acquire(), InstanceLock::Result::AlreadyRunning);
    window.reset();

    writeAll(sandbox.root() + QStringLiteral("/file"), "x");
    setCacheFolder(sandbox.root() + QStringLiteral("/file"));
    started();
    EXPECT_EQ(sandbox.logMessages().filter(QStringLiteral("確認用ファイル")).mid(1),
              QStringList{QStringLiteral("□Eve：起動中の確認用ファイル [ ") + lock + QStringLiteral(" ]、[ ") + sandbox.root()
                          + QStringLiteral("/file/tolvane.lock ] を作成できないため、確認せずに起動します。")});
    EXPECT_TRUE(ui.boxes.empty());
}

// The lock is made only in a folder of the user's (0755 will do) reached
// through folders and links no one but root and the user can change, and
// never through a link: a link in the lock's place, or another user's link
// on the way (as in a folder open to all), makes no file where it points,
// and that lock is unavailable.
TEST_F(StartupTest, TheLockIsNeverMadeThroughALink)
{
    const QString root = sandbox.root();
    const auto made = [](const QString& path) {
        InstanceLock lock(path);
        return lock.acquire() == InstanceLock::Result::Acquired && lock.path() == path && lock.unavailable().isEmpty();
    };
    const auto refused = [](const QString& path) {
        InstanceLock lock(path);
        lock.acquire();
        return lock.unavailable().value(0) == path;
    };
    for (const char* folder : {"/mine", "/victim", "/locks", "/open"})
        ASSERT_TRUE(QDir().mkpath(root + QLatin1String(folder)));
    ASSERT_TRUE(QFile::setPermissions(root + QStringLiteral("/mine"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                                        QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                                                        QFile::ExeOther));
    ASSERT_EQ(::chmod(QFile::encodeName(root + QStringLiteral("/open")).constData(), 01777), 0);
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/mine"), root + QStringLiteral("/link")) &&
                QFile::link(root + QStringLiteral("/victim/taken"), root + QStringLiteral("/locks/tolvane.lock")) &&
                QFile::link(root + QStringLiteral("/victim"), root + QStringLiteral("/open/Tolvane")));
    EXPECT_TRUE(made(root + QStringLiteral("/link/tolvane.lock")));
    EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("/mine/tolvane.lock")));
    EXPECT_TRUE(refused(root + QStringLiteral("/locks/tolvane.lock")));
    if (::geteuid() == 0) {
        // Only root can give a link to another user.
        ASSERT_EQ(::lchown(QFile::encodeName(root + QStringLiteral("/open/Tolvane")).constData(), 65533, 65533), 0);
        EXPECT_TRUE(refused(root + QStringLiteral("/open/Tolvane/tolvane.lock")));
    }
    EXPECT_TRUE(QDir(root + QStringLiteral("/victim")).isEmpty());
}

TEST_F(StartupTest, EveryNamedControlIsInTheWindow)
{
    makeWindow();
    for (int i = 0; i < kControlCount; ++i) {
        const QString name = controlName(static_cast<Ctl>(i));
        EXPECT_TRUE(window->control(name) || window->menuAction(name)) << name.toStdString();
    }
    EXPECT_EQ(qobject_cast<VerticalLabel*>(window->control(QStringLiteral("Label84")))->reading(),
              QStringLiteral("使用回数によるタワミ率"));
}

TEST_F(StartupTest, AMissingPictureStopsTheLoadingAtItsRowAndStartUpGoesOn)
{
    QFile::remove(MaterialsFolder() + QStringLiteral("/SWZ_off.gif"));
    started();
    EXPECT_TRUE(sandbox.logMessages().contains(
        QStringLiteral("■Err：[frmMain]-[LoadImages()]：ファイルが見つかりません。：エラー番号 -> 53")));
    EXPECT_EQ(pictureOf("imgSWG"), QStringLiteral("materials/SWG_off.gif"));
    // The rows after it keep their design pictures: none for the toolbar.
    for (const char* n : {"imgSWZ", "imgDisplayTxt", "imgHowToUse"})
        EXPECT_TRUE(pictureOf(n).isEmpty()) << n;
    EXPECT_TRUE(widget<QLabel>("imgMsgBackGround")->pixmap().isNull());
    EXPECT_EQ(sandbox.logMessages().last(), kStarted);
}

// The cursor is the last row: every picture is in before it fails.
TEST_F(StartupTest, ACursorThatIsNoPictureIsLoggedAsAnInvalidPicture)
{
    writeAll(MaterialsFolder() + QStringLiteral("/cursor.cur"), QByteArray("no picture"));
    started();
    EXPECT_TRUE(sandbox.logMessages().contains(
        QStringLiteral("■Err：[frmMain]-[LoadImages()]：ピクチャが不正です。：エラー番号 -> 481")));
    EXPECT_NE(widget("imgHowToUse")->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(pictureOf("imgHowToUse"), QStringLiteral("materials/howToUse_off.gif"));
    EXPECT_FALSE(widget<QLabel>("imgMsgBackGround")->pixmap().isNull());
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
    const auto note = [&](const char* step) { return [&calls, step] { calls << QString::fromLatin1(step); }; };
    p.hooks.loadBannerBackground = note("background");
    p.hooks.loadBannerCursor = note("cursor");
    p.hooks.startBannerTicks = [&] {
        calls << QStringLiteral("tick");
        EXPECT_FALSE(sandbox.logMessages().contains(kReady));
    };
    p.hooks.initMsgBanner = [&](MainWindow& w) {
        calls << QStringLiteral("init");
        EXPECT_EQ(w.form().text(field::ShearFactor), QStringLiteral("35"));  // after the spin controls
        EXPECT_FALSE(sandbox.logMessages().contains(kStarted));
    };
    p.hooks.cleanUpBanner = note("clean");
    window = std::make_unique<MainWindow>(p);
    EXPECT_EQ(window->startUp(), StartResult::Run);
    window->mnuEnd_Click();
    EXPECT_EQ(calls, fields("make,background,cursor,tick,init,clean"));
    EXPECT_EQ(window->control(QStringLiteral("imgMsgBackGround"))->parentWidget(), window->bannerFrame());
}

// The windows keep the size of their design: the main window can be
// minimised but neither maximised nor resized; a dialog has only its close
// button.
TEST_F(StartupTest, EveryWindowKeepsTheSizeOfItsDesign)
{
    started();
    window->show();
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->size(), window->maximumSize());
    const Qt::WindowFlags main = window->windowFlags();
    EXPECT_TRUE(main & Qt::CustomizeWindowHint && main & Qt::WindowMinimizeButtonHint && main & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(main & Qt::WindowMaximizeButtonHint);

    const DiagramInputs inputs;
    const std::unique_ptr<QDialog> dialogs[] = {
        std::make_unique<VersionDialog>(ui, window.get()), std::make_unique<UserInfoChangeDialog>(ui, window.get()),
        std::make_unique<UserRegistDialog>(ui, window.get()),
        std::make_unique<DxfDialog>(inputs, SpringRecord{}, true, ui, window.get()),
        std::make_unique<TotalDialog>(window.get(), ui)};
    for (const auto& d : dialogs) {
        const Qt::WindowFlags f = d->windowFlags();
        SCOPED_TRACE(d->objectName().toStdString());
        EXPECT_TRUE(f & Qt::CustomizeWindowHint && f & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(f & (Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint));
        EXPECT_EQ(d->minimumSize(), d->maximumSize());
    }
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
    void expectLook(bool light)
    {
        EXPECT_EQ(window->property("backColorRef").value<qulonglong>(), light ? 0x8000000Fu : 0x303030u);
        EXPECT_EQ(backOf("Frame4"), light ? 0x8000000Fu : 0x303030u);
        EXPECT_EQ(backOf("Text1"), light ? 0xFFFFFFu : 0x303030u);
        for (const char* n : {"Text1", "Option2", "Label85"})
            EXPECT_EQ(foreOf(n), light ? 0x80000008u : 0xFFFFFFu) << n;
        EXPECT_EQ(foreOf("Label80"), light ? 0xFF8080u : 0xFFFFFFu);
        EXPECT_EQ(foreOf("Label81"), light ? 0xFF0000u : 0xFF8080u);
        // Controls outside the table keep their own colours in both looks.
        EXPECT_EQ(foreOf("Label38"), 0xFFFFFFu);
    }
};

TEST_F(SkinTest, OnlyLightFromTheSettingsIsLight)
{
    const struct { const char* ini; bool light; } cases[] = {
        {"[Design]\r\n\r\nFORM_SKIN=Light", true}, {"[Design]\r\n\r\nFORM_SKIN=Dark", false},
        {"[Design]\r\n", false},  // read as "ERROR"
        {"[Design]\r\nFORM_SKIN=light", false}};
    for (const auto& c : cases) {
        startWithSkin(c.ini);
        SCOPED_TRACE(c.ini);
        expectLook(c.light);
        window.reset();
    }
}

TEST_F(SkinTest, TheMenuWritesTheSettingAndRecoloursAtOnce)
{
    startWithSkin("[Design]\r\n\r\nFORM_SKIN=Dark");
    window->mnuLight_Click();
    EXPECT_EQ(readAll(SettingFolder() + QStringLiteral("/Settings.ini")), QByteArray("[Design]\r\n\r\nFORM_SKIN=Light"));
    expectLook(true);
    window->mnuDark_Click();
    EXPECT_EQ(GetINIValue(QStringLiteral("Design"), QStringLiteral("FORM_SKIN")), QStringLiteral("Dark"));
    expectLook(false);
}

}  // namespace
}  // namespace tolvane::test
