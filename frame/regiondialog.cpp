#include "frame/regiondialog.h"

#include "frame/fixedframe.h"
#include "frame/programicon.h"
#include "services/folders.h"
#include "services/inifile.h"
#include "services/log.h"
#include "services/ui.h"
#include "services/vberror.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace tolvane {
namespace {

const QString kPrompt = QStringLiteral("お住いの地域を選択してください。");

QFont dialogFont(double points = 9)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSizeF(points);
    return font;
}

QLabel* addLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    label->setFont(dialogFont());
    return label;
}

QPushButton* addButton(QWidget* parent, const QString& name, const QString& text, const QRect& geometry)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setFont(dialogFont());
    button->setAutoDefault(false);
    return button;
}

// The region list with nothing chosen: the prompt shows until the user picks.
QComboBox* addRegionList(QWidget* parent, const QRect& geometry)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("cmbLocationSelect"));
    combo->setGeometry(geometry);
    combo->setFont(dialogFont());
    combo->setEditable(false);
    combo->addItems(regionNames());
    combo->setPlaceholderText(QStringLiteral("選択してください"));
    combo->setCurrentIndex(-1);
    return combo;
}

// Whether the write worked is not asked: the dialog closes either way.
void writeRegion(const QString& location)
{
    SetINIValue(QStringLiteral("Data"), QStringLiteral("USER_LOCATION"), location);
    SetINIValue(QStringLiteral("Data"), QStringLiteral("INITIAL_BOOT"), QStringLiteral("False"));
}

// The store step of both OK buttons. False when nothing was chosen.
bool storeRegion(UserInterface& ui, const QComboBox* combo)
{
    const int index = combo->currentIndex();
    if (index == -1) {
        ui.msgBox(kPrompt, kMbExclamation, QStringLiteral("Information"));
        return false;
    }
    writeRegion(QString::number(index));
    return true;
}

// The opening step of both dialogs: the settings folder and file.
void loadSettingsFile(const QDialog& dialog)
{
    try {
        ExistSettingFolder();
        ExistIniFile();
    } catch (const VbError& e) {
        logError(errorLabel(dialog.objectName(), QStringLiteral("Form_Load")), e);
    }
}

}  // namespace

QStringList regionNames()
{
    return {QStringLiteral("北海道"),   QStringLiteral("東北地方"), QStringLiteral("関東地方"), QStringLiteral("東海地方"),
            QStringLiteral("北陸地方"), QStringLiteral("関西地方"), QStringLiteral("中国地方"), QStringLiteral("九州地方"),
            QStringLiteral("沖縄"),     QStringLiteral("海外")};
}

// --- change dialog ---------------------------------------------------------

UserInfoChangeDialog::UserInfoChangeDialog(UserInterface& ui, QWidget* owner) : QDialog(owner), ui_(ui)
{
    setObjectName(QStringLiteral("frmUserInfoChange"));
    setFixedFrame(this);
    setWindowTitle(QStringLiteral("ユーザー情報変更"));
    setModal(true);
    setFixedSize(320, 190);
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(8, 8, 304, 130);
    addLabel(frame, QStringLiteral("Label1"), QStringLiteral("■　ユーザー情報変更　■"), QRect(12, 12, 280, 20))
        ->setAlignment(Qt::AlignCenter);
    addLabel(frame, QStringLiteral("Label2"), kPrompt, QRect(12, 44, 280, 20));
    combo_ = addRegionList(frame, QRect(12, 76, 280, 26));
    ok_ = addButton(this, QStringLiteral("btnOK"), QStringLiteral("OK"), QRect(112, 148, 96, 30));
    cancel_ = addButton(this, QStringLiteral("btnCancel"), QStringLiteral("キャンセル"), QRect(216, 148, 96, 30));
    connect(ok_, &QPushButton::clicked, this, [this] { btnOK_Click(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { btnCancel_Click(); });
    Form_Load();
}

void UserInfoChangeDialog::Form_Load() { loadSettingsFile(*this); }

void UserInfoChangeDialog::btnOK_Click()
{
    try {
        if (!storeRegion(ui_, combo_))
            return;
        WriteEventLog(QStringLiteral("ユーザー情報更新"));
        done(QDialog::Accepted);
    } catch (const VbError& e) {
        logError(errorLabel(objectName(), QStringLiteral("btnOK_Click")), e);
    }
}

void UserInfoChangeDialog::btnCancel_Click() { done(QDialog::Rejected); }

// --- first-run dialog ------------------------------------------------------

UserRegistDialog::UserRegistDialog(UserInterface& ui, QWidget* owner)
    : QDialog(owner), ui_(ui), endProgram_([] { QCoreApplication::exit(0); })
{
    setObjectName(QStringLiteral("frmUserRegist"));
    setFixedFrame(this);
    setWindowTitle(QStringLiteral("ユーザー登録"));
    setModal(true);
    setFixedSize(380, 200);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setGeometry(8, 8, 56, 56);
    picture->setFrameShape(QFrame::Panel);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(programPicture(48));
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(72, 8, 300, 140);
    addLabel(frame, QStringLiteral("Label1"), QStringLiteral("■　新規ユーザー情報登録　■"), QRect(10, 12, 280, 20))
        ->setAlignment(Qt::AlignCenter);
    addLabel(frame, QStringLiteral("Label2"), kPrompt, QRect(10, 48, 280, 20));
    combo_ = addRegionList(frame, QRect(10, 84, 280, 26));
    ok_ = addButton(this, QStringLiteral("Command1"), QStringLiteral("OK"), QRect(72, 158, 96, 30));
    skip_ = addButton(this, QStringLiteral("btnSkip"), QStringLiteral("スキップ"), QRect(174, 158, 96, 30));
    end_ = addButton(this, QStringLiteral("Command2"), QStringLiteral("終了"), QRect(276, 158, 96, 30));
    connect(ok_, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(skip_, &QPushButton::clicked, this, [this] { btnSkip_Click(); });
    connect(end_, &QPushButton::clicked, this, [this] { Command2_Click(); });
    Form_Load();
}

void UserRegistDialog::Form_Load() { loadSettingsFile(*this); }

void UserRegistDialog::Command1_Click()
{
    try {
        if (storeRegion(ui_, combo_))
            done(QDialog::Accepted);
    } catch (const VbError& e) {
        logError(errorLabel(objectName(), QStringLiteral("Command1_Click")), e);
    }
}

void UserRegistDialog::btnSkip_Click()
{
    try {
        ExistIniFile();
        writeRegion(QStringLiteral("10"));
        done(QDialog::Accepted);
    } catch (const VbError& e) {
        logError(errorLabel(objectName(), QStringLiteral("btnSkip_Click")), e);
    }
}

void UserRegistDialog::Command2_Click()
{
    // Ends everything at once: nothing written, no log line, no question.
    done(kEndProgram);
    if (endProgram_)
        endProgram_();
}

}  // namespace tolvane
