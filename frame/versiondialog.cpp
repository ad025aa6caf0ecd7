#include "frame/versiondialog.h"

#include "frame/banner.h"
#include "frame/fixedframe.h"
#include "frame/look.h"
#include "frame/programicon.h"
#include "frame/webservers.h"
#include "frame/widgets.h"
#include "services/folders.h"
#include "services/inifile.h"
#include "services/log.h"
#include "services/ui.h"
#include "services/vberror.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>

namespace tolvane {
using namespace look;
namespace {

const QString kOwner = QStringLiteral("frmVirsionInfo");
constexpr quint32 kDark = 0x303030;
constexpr quint32 kWhite = 0xFFFFFF;
constexpr quint32 kLightBlue = 0xFF8080;
constexpr quint32 kBlue = 0xFF0000;

QFont dialogFont(double points, bool bold = false, bool underline = false)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

// The version the dialog shows, without the release month of the main
// window's version label.
QString versionOnly()
{
    const QString full = softwareVersionText();
    const auto at = full.indexOf(QStringLiteral("Ver "));
    return at < 0 ? full : full.mid(at);
}

}  // namespace

VersionDialog::VersionDialog(UserInterface& ui, QWidget* owner)
    : QDialog(owner), ui_(ui), productPageUrl_(productPageUrl()), contactMailUrl_(contactMailUrl())
{
    setObjectName(kOwner);
    setFixedFrame(this);
    setWindowTitle(QStringLiteral("バージョン情報"));
    setModal(true);
    setFixedSize(357, 232);
    setVbBackColor(this, kDark);

    for (int n = 1; n <= 3; ++n) {
        frames_[n] = new QFrame(this);
        frames_[n]->setObjectName(QStringLiteral("Frame%1").arg(n));
        frames_[n]->setFrameShape(QFrame::Box);
        frames_[n]->setFrameShadow(QFrame::Sunken);
    }
    frames_[3]->setGeometry(8, 6, 341, 76);
    frames_[1]->setGeometry(8, 86, 341, 88);
    frames_[2]->setGeometry(8, 178, 341, 48);
    // Pointing at the frame around the links is what puts their colour back.
    frames_[1]->setMouseTracking(true);
    frames_[1]->installEventFilter(this);

    picture1_ = new QLabel(frames_[3]);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setGeometry(12, 12, 52, 52);
    picture1_->setAlignment(Qt::AlignCenter);
    picture1_->setPixmap(programPicture(48));

    // The title's back layer, a little up and to the left of its front layer.
    makeLabel(frames_[3], 2, QStringLiteral("Tolvane"), QRect(76, 7, 240, 26))->setFont(dialogFont(14.25, true));
    makeLabel(frames_[3], 4, QStringLiteral("Tolvane"), QRect(78, 8, 240, 26))->setFont(dialogFont(14.25, true));
    makeLabel(frames_[3], 1, QStringLiteral("Tolvane  ") + versionOnly(), QRect(78, 40, 250, 18));
    setVbForeColor(labels_[1], kWhite);
    setVbForeColor(labels_[2], kBlue);
    setVbForeColor(labels_[4], kWhite);

    makeLabel(frames_[1], 3, QStringLiteral("Copyright (C) Tolvane. All rights reserved."), QRect(12, 8, 320, 16))
        ->setFont(dialogFont(8.25));
    makeLabel(frames_[1], 11, QStringLiteral("e-mail"), QRect(12, 34, 56, 18));
    makeLabel(frames_[1], 12, contactMailText(), QRect(72, 34, 260, 18))->setFont(dialogFont(9, true, true));
    makeLabel(frames_[1], 8, QStringLiteral("URL"), QRect(12, 60, 56, 18));
    makeLabel(frames_[1], 7, productPageUrl(), QRect(72, 60, 260, 18))->setFont(dialogFont(9, true, true));
    for (int n : {3, 8, 11})
        setVbForeColor(labels_[n], kWhite);
    for (QLabel* link : {labels_[7], labels_[12]}) {
        setVbForeColor(link, kLightBlue);
        link->setMouseTracking(true);
        link->installEventFilter(this);
    }

    auto* ok = new PictureButton(frames_[2]);
    imgOK_ = ok;
    imgOK_->setObjectName(QStringLiteral("imgOK"));
    imgOK_->setGeometry(130, 9, 80, 30);
    imgOK_->setAlignment(Qt::AlignCenter);
    // What the button shows when its picture cannot be loaded.
    imgOK_->setText(QStringLiteral("OK"));
    setVbForeColor(imgOK_, kWhite);
    connect(ok, &PictureButton::pressed, this, &VersionDialog::imgOK_MouseDown);
    connect(ok, &PictureButton::released, this, &VersionDialog::imgOK_MouseUp);
    connect(ok, &PictureButton::clicked, this, &VersionDialog::imgOK_Click);

    Form_Load();
}

QLabel* VersionDialog::makeLabel(QWidget* parent, int number, const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("Label%1").arg(number));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    label->setFont(dialogFont(9));
    labels_[number] = label;
    return label;
}

void VersionDialog::setProductPageUrl(const QString& url)
{
    productPageUrl_ = url;
    labels_[7]->setText(url);
}

QLabel* VersionDialog::label(int number) const
{
    return number >= 0 && number < 13 ? labels_[number] : nullptr;
}

QFrame* VersionDialog::frame(int number) const
{
    return number >= 1 && number <= 3 ? frames_[number] : nullptr;
}

void VersionDialog::Form_Load()
{
    try {
        ExistSettingFolder();
        ExistIniFile();
        SelectSkin();
        imgOK_->setPixmap(loadMaterialPicture(QStringLiteral("OK_verInfo_off.gif")));
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("Form_Load")), e);
    }
}

void VersionDialog::SelectSkin()
{
    try {
        const SkinColours skin = skinColours();
        setVbBackColor(this, skin.face);
        for (int n : {1, 2, 3})
            setVbBackColor(frames_[n], skin.face);
        setVbForeColor(labels_[1], skin.text);
        setVbForeColor(labels_[2], kBlue);
        setVbForeColor(labels_[3], skin.text);
        setVbForeColor(labels_[4], skin.light ? kLightBlue : kWhite);
        setVbForeColor(labels_[8], skin.text);
        setVbForeColor(labels_[11], skin.text);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("SelectSkin")), e);
    }
}

void VersionDialog::imgOK_Click() { done(QDialog::Accepted); }

void VersionDialog::imgOK_MouseDown()
{
    try {
        imgOK_->setPixmap(loadMaterialPicture(QStringLiteral("OK_verInfo_on.gif")));
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("imgOK_MouseDown")), e);
    }
}

void VersionDialog::imgOK_MouseUp()
{
    try {
        imgOK_->setPixmap(loadMaterialPicture(QStringLiteral("OK_verInfo_off.gif")));
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("imgOK_MouseUp")), e);
    }
}

// Whether a mail program or browser opens is the desktop's affair.
void VersionDialog::Label12_Click() { ui_.openUrl(contactMailUrl_); }
void VersionDialog::Label7_Click() { ui_.openUrl(productPageUrl_); }

void VersionDialog::pointAt(QLabel* link)
{
    // Writing only on a change keeps repeated moves from repainting.
    if (vbForeColor(link) != kBlue)
        setVbForeColor(link, kBlue);
}

void VersionDialog::Label12_MouseMove() { pointAt(labels_[12]); }
void VersionDialog::Label7_MouseMove() { pointAt(labels_[7]); }

void VersionDialog::Frame1_MouseMove()
{
    for (QLabel* link : {labels_[7], labels_[12]})
        if (vbForeColor(link) != kLightBlue)
            setVbForeColor(link, kLightBlue);
}

bool VersionDialog::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return QDialog::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    const bool left = mouse->button() == Qt::LeftButton;

    if (watched == frames_[1]) {
        // Moves reach the frame only over its own surface: the labels on it
        // either take their moves (the links) or track none.
        if (type == QEvent::MouseMove)
            Frame1_MouseMove();
        return false;
    }
    if (watched == labels_[7] || watched == labels_[12]) {
        const bool web = watched == labels_[7];
        if (type == QEvent::MouseMove)
            web ? Label7_MouseMove() : Label12_MouseMove();
        else if (type == QEvent::MouseButtonRelease && left
                 && labels_[web ? 7 : 12]->rect().contains(mouse->position().toPoint()))
            web ? Label7_Click() : Label12_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void showVersionDialog(QWidget* owner, UserInterface& ui)
{
    VersionDialog dialog(ui, owner);
    dialog.exec();
}

}  // namespace tolvane
