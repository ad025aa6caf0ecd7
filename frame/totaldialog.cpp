#include "frame/totaldialog.h"

#include "frame/fixedframe.h"
#include "frame/look.h"
#include "services/log.h"
#include "services/vberror.h"

#include <QLineEdit>
#include <QListWidget>

namespace tolvane {

TotalPictureButton::TotalPictureButton(QWidget* parent, QString offPicture, QString onPicture, QString owner)
    : PictureButton(parent), off_(std::move(offPicture)), on_(std::move(onPicture)), owner_(std::move(owner))
{
    setScaledContents(true);
    connect(this, &PictureButton::pressed, this, [this] { showPicture(true); });
    connect(this, &PictureButton::released, this, [this] { showPicture(false); });
    connect(this, &PictureButton::clicked, this, [this] {
        if (action_)
            action_();
    });
}

void TotalPictureButton::showPicture(bool pressed, const QString& procedure)
{
    current_ = pressed ? on_ : off_;
    try {
        setPixmap(look::loadMaterialPicture(current_));
    } catch (const VbError& e) {
        const QString where = procedure.isEmpty()
                                  ? objectName() + (pressed ? QStringLiteral("_MouseDown") : QStringLiteral("_MouseUp"))
                                  : procedure;
        logError(errorLabel(owner_, where), e);
    }
}

namespace {

const QString kOwner = QStringLiteral("frmSelectFile");

QLabel* makeLabel(QWidget* parent, const QString& text, int left, int top, int width, int height)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(twipsRect(left, top, width, height));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

TotalDialog::TotalDialog(QWidget* owner, UserInterface& ui) : QDialog(owner), model_(ui)
{
    setFixedFrame(this);
    setWindowTitle(QStringLiteral("合計スプリング線図出力"));
    setModal(true);
    setObjectName(kOwner);

    label3_ = makeLabel(this, QStringLiteral("2種類以上のスプリングを使用した場合の合計圧力線図をDXF出力します"), 240, 240,
                        3735, 540);
    QFont bold(QStringLiteral("IPAPGothic"));
    bold.setPointSizeF(9.75);
    bold.setBold(true);
    label3_->setFont(bold);
    label1_ = makeLabel(this, QStringLiteral("作成するスプリング線図の名称を入力"), 180, 840, 3735, 180);
    text1_ = new OneLineBox(this);
    text1_->setGeometry(twipsRect(180, 1080, 3735, 375));
    connect(text1_, &QLineEdit::textChanged, this, [this](const QString& t) { model_.setDiagramName(t); });

    imgSelectFiles_ = new TotalPictureButton(this, QStringLiteral("selectFiles_off.gif"), QStringLiteral("selectFiles_on.gif"), kOwner);
    imgSelectFiles_->setObjectName(QStringLiteral("imgSelectFiles"));
    imgSelectFiles_->setGeometry(twipsRect(1200, 1680, 1695, 375));
    imgCancel_ = new TotalPictureButton(this, QStringLiteral("cancel_selectSpDiagram_off.gif"),
                                   QStringLiteral("cancel_selectSpDiagram_on.gif"), kOwner);
    imgCancel_->setObjectName(QStringLiteral("imgCancel"));
    imgCancel_->setGeometry(twipsRect(2940, 1680, 960, 375));
    label2_ = makeLabel(this, QStringLiteral("下記ファイルから合計圧力線図を作成します"), 180, 2280, 3735, 180);
    list1_ = new QListWidget(this);
    list1_->setGeometry(twipsRect(180, 2520, 3735, 2400));
    list1_->setFocusPolicy(Qt::NoFocus);
    imgOutputDXF_ = new TotalPictureButton(this, QStringLiteral("output_dxf_total_large_off.gif"),
                                      QStringLiteral("output_dxf_total_large_on.gif"), kOwner);
    imgOutputDXF_->setObjectName(QStringLiteral("imgOutputDXF"));
    imgOutputDXF_->setGeometry(twipsRect(1200, 5040, 1695, 375));

    imgSelectFiles_->setAction([this] {
        model_.imgSelectFiles_Click();
        refresh();
    });
    imgOutputDXF_->setAction([this] {
        model_.imgOutputDXF_Click();
        refresh();
    });
    imgCancel_->setAction([this] {
        model_.imgCancel_Click();
        refresh();
    });

    // Form_Load: settings, pictures, colours, then the compact layout.
    model_.Form_Load();
    InitializeImageControls();
    SelectSkin();
    refresh();
    text1_->setFocus();
}

TotalDialog::~TotalDialog()
{
    model_.Form_Unload();
}

void TotalDialog::InitializeImageControls()
{
    const QString procedure = QStringLiteral("InitializeImageControls");
    imgSelectFiles_->showPicture(false, procedure);
    imgCancel_->showPicture(false, procedure);
    imgOutputDXF_->showPicture(false, procedure);
}

void TotalDialog::SelectSkin()
{
    const look::SkinColours skin = look::skinColours();
    QPalette window = palette();
    QPalette labels = label1_->palette();
    window.setColor(QPalette::Window, look::vbColor(skin.face));
    labels.setColor(QPalette::WindowText, look::vbColor(skin.text));
    setPalette(window);
    setAutoFillBackground(true);
    for (QLabel* l : {label1_, label2_, label3_})
        l->setPalette(labels);
}

void TotalDialog::refresh()
{
    if (model_.closeRequested()) {
        accept();
        return;
    }
    if (model_.takeNameFocusRequest())
        text1_->setFocus();
    list1_->clear();
    list1_->addItems(model_.listRows());
    imgOutputDXF_->setEnabled(model_.outputEnabled());
    const bool expanded = model_.height() == TotalOutput::kExpandedHeight;
    label2_->setVisible(expanded);
    list1_->setVisible(expanded);
    imgOutputDXF_->setVisible(expanded);
    imgCancel_->move(twipsToPixels(2940), twipsToPixels(model_.cancelTop()));
    setFixedSize(twipsToPixels(4125), twipsToPixels(model_.height()));
}

void showTotalDialog(QWidget* owner, UserInterface& ui)
{
    TotalDialog dialog(owner, ui);
    dialog.exec();
}

}  // namespace tolvane
