#include "frame/dxfdialog.h"

#include "frame/fixedframe.h"
#include "frame/look.h"
#include "services/log.h"
#include "services/vberror.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>

namespace tolvane {
namespace {

const QString kForm = QStringLiteral("frmOutputDXF");

// Sets a button's picture from the materials folder.
void loadPicture(QLabel* button, const QString& file)
{
    button->setPixmap(look::loadMaterialPicture(file));
}

// Without its pictures a button shows its caption, so the dialog stays usable.
PictureButton* captionedButton(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry)
{
    auto* button = new PictureButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setAlignment(Qt::AlignCenter);
    button->setFrameShape(QFrame::Panel);
    button->setCursor(Qt::PointingHandCursor);
    button->setGeometry(geometry);
    return button;
}

// The progress bar drawn as a bar in the skin's colours: a slim frame on
// the dialog's face, filled from the left as a run goes on. In the style's
// look, a white box under the name box, it passed for a second field.
class SkinBar final : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Window));
        const int thickness = qMin(height(), 10);
        const QRect bar(0, (height() - thickness) / 2, width(), thickness);
        const qint64 span = qint64(maximum()) - minimum();
        if (span > 0 && value() > minimum()) {
            const QRect inside = bar.adjusted(2, 2, -2, -2);
            const int filled = int(inside.width() * (qint64(value()) - minimum()) / span);
            painter.fillRect(QRect(inside.topLeft(), QSize(filled, inside.height())), palette().color(QPalette::Highlight));
        }
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(bar.adjusted(0, 0, -1, -1));
    }
};

// Runs a step of the dialog under its own error label.
template <typename F>
void guarded(const QString& procedure, F f)
{
    try {
        f();
    } catch (const VbError& e) {
        logError(errorLabel(kForm, procedure), e);
    }
}

}  // namespace

DxfDialog::DxfDialog(const DiagramInputs& inputs, const SpringRecord& record, bool recordComplete,
                     UserInterface& ui, QWidget* owner)
    : QDialog(owner)
{
    setObjectName(kForm);
    setFixedFrame(this);
    setWindowTitle(QStringLiteral("DXF出力"));
    setWindowModality(Qt::WindowModal);
    setFixedSize(twipsToPixels(3720), twipsToPixels(1965));

    prompt_ = new QLabel(QStringLiteral("スプリング線図の名称を入力してください。"), this);
    prompt_->setObjectName(QStringLiteral("Label1"));
    // A little taller than its 180-twip place in the layout, so no glyph is
    // clipped.
    prompt_->setGeometry(twipsRect(180, 60, 3195, 240));
    look::fitCaption(prompt_);
    name_ = new OneLineBox(this);
    name_->setObjectName(QStringLiteral("Text2"));
    name_->setGeometry(twipsRect(105, 315, 2625, 300));
    progress_ = new SkinBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setGeometry(twipsRect(105, 735, 3495, 300));
    progress_->setTextVisible(false);
    vorn_ = new QCheckBox(QStringLiteral("Vornファイルを作成する"), this);
    vorn_->setObjectName(QStringLiteral("chkCreateVornFile"));
    vorn_->setGeometry(twipsRect(240, 1080, 3255, 375));
    ok_ = captionedButton(this, QStringLiteral("imgOk"), QStringLiteral("OK"), twipsRect(105, 1500, 1695, 375));
    cancel_ = captionedButton(this, QStringLiteral("imgCancel"), QStringLiteral("キャンセル"), twipsRect(1900, 1500, 1695, 375));

    output_ = std::make_unique<DxfOutput>(inputs, record, recordComplete, ui, static_cast<DxfOutputView&>(*this));
    vorn_->setChecked(output_->createVornFile());
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) { output_->setDiagramName(text); });
    connect(vorn_, &QCheckBox::toggled, this, [this](bool on) { output_->setCreateVornFile(on); });

    // Any mouse button shows the pressed picture; only a left click acts.
    auto pictures = [this](PictureButton* button, const QString& procedure, const QString& stem) {
        connect(button, &PictureButton::pressed, this, [=] {
            guarded(procedure + QStringLiteral("_MouseDown"), [=] { loadPicture(button, stem + QStringLiteral("_on.gif")); });
        });
        connect(button, &PictureButton::released, this, [=] {
            guarded(procedure + QStringLiteral("_MouseUp"), [=] { loadPicture(button, stem + QStringLiteral("_off.gif")); });
        });
    };
    pictures(ok_, QStringLiteral("imgOk"), QStringLiteral("OK_outputDxf"));
    pictures(cancel_, QStringLiteral("imgCancel"), QStringLiteral("cancel_outputDxf"));
    connect(ok_, &PictureButton::clicked, this, [this] { output_->imgOk_Click(); });
    connect(cancel_, &PictureButton::clicked, this, [this] { output_->imgCancel_Click(); });

    // Opening: settings folder and file, the pictures, the look, the bar at 0.
    output_->formLoad();
    InitializeImageControls();
    SelectSkin();
    progress_->setValue(0);
}

DxfDialog::~DxfDialog() = default;

void DxfDialog::InitializeImageControls()
{
    guarded(QStringLiteral("InitializeImageControls"), [this] {
        loadPicture(ok_, QStringLiteral("OK_outputDxf_off.gif"));
        loadPicture(cancel_, QStringLiteral("cancel_outputDxf_off.gif"));
    });
}

void DxfDialog::SelectSkin()
{
    const look::SkinColours skin = look::skinColours();
    const QColor back = look::vbColor(skin.face);
    const QColor text = look::vbColor(skin.text);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, back);
    setPalette(pal);
    setAutoFillBackground(true);
    // The check box fills with its own role, not the window's; its tick box
    // keeps its white face and dark tick, so only the caption takes the text
    // colour.
    for (QWidget* w : {static_cast<QWidget*>(prompt_), static_cast<QWidget*>(vorn_)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, back);
        p.setColor(w->backgroundRole(), back);
        p.setColor(QPalette::WindowText, text);
        w->setPalette(p);
    }
    vorn_->setAutoFillBackground(true);
    // The bar's frame halfway between the face and the text: plain, not loud.
    QPalette bar = progress_->palette();
    bar.setColor(QPalette::Window, back);
    bar.setColor(QPalette::WindowText, QColor((back.red() + text.red()) / 2, (back.green() + text.green()) / 2,
                                              (back.blue() + text.blue()) / 2));
    progress_->setPalette(bar);
}

void DxfDialog::setProgressRange(int minimum, int maximum)
{
    progress_->setRange(minimum, maximum);
}

void DxfDialog::setProgressValue(int value)
{
    progress_->setValue(value);
}

void DxfDialog::processEvents()
{
    QCoreApplication::processEvents();
}

void DxfDialog::focusDiagramName()
{
    name_->setFocus(Qt::OtherFocusReason);
}

void DxfDialog::setWriting(bool writing)
{
    ok_->setEnabled(!writing);
    cancel_->setEnabled(!writing);
}

void DxfDialog::closeDialog()
{
    closingByProgram_ = true;
    done(QDialog::Accepted);
}

void DxfDialog::closeEvent(QCloseEvent* event)
{
    // While an OK run writes, a close waits for its end; the controller
    // carries it out then.
    if (closingByProgram_ || output_->requestClose())
        event->accept();
    else
        event->ignore();
}

void DxfDialog::reject()
{
    if (closingByProgram_ || output_->requestClose())
        QDialog::reject();
}

bool showDxfDialog(QWidget* owner, const DiagramInputs& inputs, const SpringRecord& record, bool recordComplete,
                   UserInterface& ui)
{
    DxfDialog dialog(inputs, record, recordComplete, ui, owner);
    dialog.exec();
    return dialog.output().dxfCommandsOff();
}

}  // namespace tolvane
