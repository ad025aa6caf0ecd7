#include "services/inifile.h"
#include "support/pipe.h"
#include "support/sandbox.h"

#include <QFileInfo>

using namespace tolvane;
using tolvane::test::Sandbox;

TEST(Settings, FirstContentByteForByteAndAnExistingFileIsNeverRewritten)
{
    Sandbox box;
    ExistSettingFolder();
    EXPECT_EQ(GetINIValue(QStringLiteral("Design"), QStringLiteral("FORM_SKIN")), u"ERROR");
    ExistIniFile();
    EXPECT_EQ(test::readAll(SettingsFilePath()), QByteArray("[Design]\r\n\r\nFORM_SKIN=Dark"));
    EXPECT_EQ(GetINIValue(QStringLiteral("design"), QStringLiteral("form_skin")), u"Dark");
    ReadIniFile();
    EXPECT_EQ(SkinName(), u"Dark");

    test::writeAll(SettingsFilePath(), "junk");
    ExistIniFile();
    EXPECT_EQ(test::readAll(SettingsFilePath()), QByteArray("junk"));
}

TEST(Settings, MissingKeysAndEmptyValues)
{
    Sandbox box;
    ExistSettingFolder();
    test::writeAll(SettingsFilePath(), "[Design]\r\nFORM_SKIN=\r\n[Data]\r\nUSER_LOCATION = 3 \r\n");
    const std::tuple<const char*, const char*, const char16_t*> cases[] = {
        {"Design", "FORM_SKIN", u""}, {"Design", "USER_LOCATION", u"ERROR"}, {"Data", "USER_LOCATION", u"3"},
        {"Nothing", "FORM_SKIN", u"ERROR"}};
    for (const auto& [section, key, value] : cases)
        EXPECT_EQ(GetINIValue(QString::fromLatin1(section), QString::fromLatin1(key)), value) << section << key;

    // Values are cut to 254 characters.
    test::writeAll(SettingsFilePath(), "[Data]\r\nLONG=" + QByteArray(254, 'x') + "yz\r\n");
    EXPECT_EQ(GetINIValue(QStringLiteral("Data"), QStringLiteral("LONG")), QString(254, u'x'));
}

TEST(Settings, WritesKeepEveryOtherLine)
{
    Sandbox box;
    ExistSettingFolder();
    ExistIniFile();
    EXPECT_TRUE(SetINIValue(QStringLiteral("DESIGN"), QStringLiteral("form_skin"), QStringLiteral("Light")));
    EXPECT_EQ(test::readAll(SettingsFilePath()), QByteArray("[Design]\r\n\r\nform_skin=Light"));
    EXPECT_TRUE(SetINIValue(QStringLiteral("Data"), QStringLiteral("USER_LOCATION"), QStringLiteral("4")));
    EXPECT_TRUE(SetINIValue(QStringLiteral("Data"), QStringLiteral("INITIAL_BOOT"), QStringLiteral("False")));
    EXPECT_TRUE(SetINIValue(QStringLiteral("Design"), QStringLiteral("OTHER"), QStringLiteral("x")));
    EXPECT_EQ(test::readAll(SettingsFilePath()),
              QByteArray("[Design]\r\n\r\nform_skin=Light\r\nOTHER=x\r\n"
                         "[Data]\r\nUSER_LOCATION=4\r\nINITIAL_BOOT=False\r\n"));

    test::writeAll(SettingsFilePath(), "; mine\n[Design]\nFORM_SKIN=Dark\n\n[Data]\nUSER_LOCATION=4\n");
    EXPECT_TRUE(SetINIValue(QStringLiteral("Design"), QStringLiteral("FORM_SKIN"), QStringLiteral("Light")));
    EXPECT_EQ(test::readAll(SettingsFilePath()), QByteArray("; mine\n[Design]\nFORM_SKIN=Light\n\n[Data]\nUSER_LOCATION=4\n"));
}

TEST(Settings, WritingMakesTheFileButNotItsFolder)
{
    Sandbox box;
    EXPECT_FALSE(SetINIValue(QStringLiteral("Design"), QStringLiteral("FORM_SKIN"), QStringLiteral("Light")));
    EXPECT_FALSE(QFileInfo::exists(SettingsFilePath()));
    ExistSettingFolder();
    EXPECT_TRUE(SetINIValue(QStringLiteral("Data"), QStringLiteral("INITIAL_BOOT"), QStringLiteral("False")));
    EXPECT_EQ(test::readAll(SettingsFilePath()), QByteArray("[Data]\r\nINITIAL_BOOT=False\r\n"));
}

TEST(Settings, CreatingWithoutTheFolderLogsOneLine)
{
    Sandbox box;
    box.clock().makeLogFolderFromReading(1);  // no folder until the failure is logged
    CreateIniFile();
    EXPECT_EQ(box.logMessages(),
              QStringList{QStringLiteral("■Err：[modIniFileRW]-[CreateIniFile()]：パスが見つかりません。：エラー番号 -> 76")});
    EXPECT_FALSE(QFileInfo::exists(SettingsFilePath()));
}

// Anything but a regular file, or one far larger than settings can be, is
// no settings file: an error line, the defaults, and it is never replaced.
TEST(Settings, WhatIsNoSettingsFileIsNeitherReadNorReplaced)
{
    Sandbox box;
    ExistLogFolder();
    const QString design = QStringLiteral("Design");
    const QString skin = QStringLiteral("FORM_SKIN");
    const QByteArray light("[Design]\r\nFORM_SKIN=Light\r\n");
    const qint64 limit = 1024 * 1024;
    test::writeAll(SettingsFilePath(), light + QByteArray(limit - light.size(), ';'));
    EXPECT_EQ(GetINIValue(design, skin), u"Light");
    const QByteArray tooLarge = light + QByteArray(limit - light.size() + 1, ';');
    test::writeAll(SettingsFilePath(), tooLarge);
    EXPECT_EQ(GetINIValue(design, skin), u"ERROR");
    EXPECT_FALSE(SetINIValue(design, skin, QStringLiteral("Dark")));
    EXPECT_EQ(test::readAll(SettingsFilePath()), tooLarge);

    QFile::remove(SettingsFilePath());
    QString value;
    bool written = true;
    EXPECT_TRUE(test::readsPipeWithoutWaiting(SettingsFilePath(), [&] {
        value = GetINIValue(design, skin);
        written = SetINIValue(design, skin, QStringLiteral("Dark"));
    }));
    EXPECT_EQ(value, u"ERROR");
    EXPECT_FALSE(written);
    EXPECT_FALSE(QFileInfo(SettingsFilePath()).isFile());

    const QString large = QStringLiteral("ファイルが大きすぎます。：エラー番号 -> 75");
    const QString pipe = QStringLiteral("通常のファイルではありません。：エラー番号 -> 75");
    EXPECT_EQ(box.logMessages(), (QStringList{QStringLiteral("■Err：[modIniFileRW]-[GetINIValue()]：") + large,
                                              QStringLiteral("■Err：[modIniFileRW]-[SetINIValue()]：") + large,
                                              QStringLiteral("■Err：[modIniFileRW]-[GetINIValue()]：") + pipe,
                                              QStringLiteral("■Err：[modIniFileRW]-[SetINIValue()]：") + pipe}));
}
