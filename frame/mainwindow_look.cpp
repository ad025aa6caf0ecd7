// The main window's look: the colours of the skins, the button pictures and
// the pointer the window loads at start.
#include "frame/mainwindow.h"

#include "frame/look.h"
#include "frame/mainwindow_detail.h"
#include "frame/widgets.h"
#include "services/folders.h"
#include "services/log.h"

#include <QLabel>

namespace tolvane {

using namespace mainwindowdetail;

namespace {

// A box the input mode turns off shows Active Border as a fixed grey of our
// own rather than the desktop's, so it reads as off whatever the palette.
QColor toQColor(ColorRef v)
{
    return v == kSysActiveBorder ? QColor(0xB4, 0xB4, 0xB4) : look::vbColor(v);
}

// Boxes and lists draw on their base colour; everything else on the window
// colour. Only those roles change, so a frame's colours do not reach into
// the boxes and lists inside it.
bool drawsOnBase(const QWidget* w)
{
    return w->inherits("QLineEdit") || w->inherits("QAbstractScrollArea");
}

}  // namespace

namespace mainwindowdetail {

void applyForeColor(QWidget* w, ColorRef v)
{
    QPalette pal = w->palette();
    const QColor c = toQColor(v);
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, drawsOnBase(w) ? QPalette::Text : QPalette::WindowText, c);
        pal.setColor(group, w->foregroundRole(), c);
    }
    w->setPalette(pal);
    w->setProperty("foreColorRef", QVariant::fromValue<qulonglong>(v));
}

void applyBackColor(QWidget* w, ColorRef v)
{
    QPalette pal = w->palette();
    const QColor c = toQColor(v);
    // Buttons fill with their own role rather than the window's.
    pal.setColor(drawsOnBase(w) ? QPalette::Base : w->backgroundRole(), c);
    w->setPalette(pal);
    if (!drawsOnBase(w))
        w->setAutoFillBackground(true);
    w->setProperty("backColorRef", QVariant::fromValue<qulonglong>(v));
}


}  // namespace mainwindowdetail

void MainWindow::setPicture(const QString& control, const QString& file)
{
    const QPixmap pixmap = look::loadMaterialPicture(file);
    if (const auto c = controlByName(control)) {
        form().setPicture(*c, QStringLiteral("materials/") + file);
        return;
    }
    QWidget* w = this->control(control);
    if (auto* b = qobject_cast<PictureButton*>(w))
        b->showPicture(pixmap, QStringLiteral("materials/") + file);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setPixmap(pixmap);
    else
        throw objectRequired();
}

void MainWindow::setButton(Ctl button, bool enabled, const QString& stem)
{
    form().setEnabled(button, enabled);
    setPicture(controlName(button), stem + (enabled ? QStringLiteral("_off.gif") : QStringLiteral("_disable.gif")));
}

void MainWindow::setColor(const QString& control, bool fore, ColorRef color)
{
    if (const auto c = controlByName(control)) {
        if (fore)
            form().setForeColor(*c, color);
        else
            form().setBackColor(*c, color);
        return;
    }
    QWidget* w = control == objectName() ? centralWidget() : this->control(control);
    if (!w)
        throw objectRequired();
    if (fore)
        applyForeColor(w, color);
    else
        applyBackColor(w, color);
    if (control == objectName())
        setProperty(fore ? "foreColorRef" : "backColorRef", QVariant::fromValue<qulonglong>(color));
}

void MainWindow::pressPicture(const QString& button, const QString& stem, bool down)
{
    try {
        setPicture(button, stem + (down ? QStringLiteral("_on.gif") : QStringLiteral("_off.gif")));
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, button + (down ? QStringLiteral("_MouseDown") : QStringLiteral("_MouseUp"))), e);
    }
}

void MainWindow::SelectSkin()
{
    try {
        const look::SkinColours skin = look::skinColours();
        const bool light = skin.light;
        const ColorRef face = skin.face;
        const ColorRef text = skin.text;
        setColor(objectName(), false, face);
        for (int i = 1; i <= 7; ++i)
            setColor(QStringLiteral("Frame%1").arg(i), false, face);
        const QStringList options = {QStringLiteral("Option1"), QStringLiteral("Option2"), QStringLiteral("Option13"),
                                     QStringLiteral("Option14"), QStringLiteral("Option15")};
        for (const QString& o : options)
            setColor(o, false, face);
        setColor(QStringLiteral("Text1"), false, light ? 0xFFFFFF : 0x303030);

        for (const QString& f : {QStringLiteral("Frame1"), QStringLiteral("Frame2"), QStringLiteral("Frame7")})
            setColor(f, true, text);
        for (const QString& o : options)
            setColor(o, true, text);
        setColor(QStringLiteral("Text1"), true, light ? 0x80000008 : 0xFFFFFF);
        for (int i = 1; i <= 20; ++i)
            setColor(QStringLiteral("Label%1").arg(i), true, text);
        for (const QString& l : {QStringLiteral("Label31"), QStringLiteral("Label37"), QStringLiteral("Label52"),
                                 QStringLiteral("Label53")})
            setColor(l, true, text);
        setColor(QStringLiteral("Label80"), true, light ? 0xFF8080 : 0xFFFFFF);
        setColor(QStringLiteral("Label81"), true, light ? 0xFF0000 : 0xFF8080);
        setColor(QStringLiteral("Label84"), true, text);
        setColor(QStringLiteral("Label85"), true, text);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("SelectSkin")), e);
    }
}

namespace {

// The button pictures LoadImages gives, in its order: control and file.
QList<std::pair<QString, QString>> startPictures()
{
    QList<std::pair<QString, QString>> rows = {{QStringLiteral("imgRoundSp"), QStringLiteral("round_sp_off.gif")},
                                               {QStringLiteral("imgSquare1Sp"), QStringLiteral("square_sp1_off.gif")},
                                               {QStringLiteral("imgSquare2Sp"), QStringLiteral("square_sp2_off.gif")}};
    for (Ctl frame : kSeriesFrames) {
        for (const char16_t* series : seriesOrder(frame)) {
            const QString code = QString::fromUtf16(series);
            rows.append({QStringLiteral("img") + code, code + QStringLiteral("_off.gif")});
        }
    }
    rows += {{QStringLiteral("imgDisplayTxt"), QStringLiteral("display_txt_off.gif")},
             {QStringLiteral("imgSelectAll"), QStringLiteral("select_all_disable.gif")},
             {QStringLiteral("imgCopy"), QStringLiteral("copy_disable.gif")},
             {QStringLiteral("imgOutputDXF"), QStringLiteral("output_dxf_disable.gif")},
             {QStringLiteral("imgTotalOutput"), QStringLiteral("output_dxf_total_off.gif")},
             {QStringLiteral("imgClearData"), QStringLiteral("clear_data_off.gif")},
             {QStringLiteral("imgAllClear"), QStringLiteral("all_clear_off.gif")},
             {QStringLiteral("imgHowToUse"), QStringLiteral("howToUse_off.gif")}};
    return rows;
}

const QString kBannerBackground = QStringLiteral("back_msg.gif");

}  // namespace

void MainWindow::preloadPictures()
{
    QStringList files = {kBannerBackground, kChosenKind};
    for (const auto& row : startPictures())
        files.append(row.second);
    // Each load is the one the window's would be; the pixmap cache keeps it
    // while the file stays as it is.
    for (const QString& file : files)
        QPixmap(MaterialsFolder() + u'/' + file);
}

void MainWindow::LoadImages()
{
    try {
        for (const auto& [control, file] : startPictures())
            setPicture(control, file);
        if (ports_.hooks.loadBannerBackground)
            ports_.hooks.loadBannerBackground();
        else
            setPicture(QStringLiteral("imgMsgBackGround"), kBannerBackground);

        linkCursor_ = look::loadMaterialCursor(QStringLiteral("cursor.cur"));
        control(QStringLiteral("imgHowToUse"))->setCursor(linkCursor_);
        if (ports_.hooks.loadBannerCursor)
            ports_.hooks.loadBannerCursor();
        else if (QLabel* msg = bannerLabel())
            msg->setCursor(linkCursor_);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("LoadImages")), e);
    }
}

}  // namespace tolvane
