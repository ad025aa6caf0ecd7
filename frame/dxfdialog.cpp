#include "frame/dxfdialog.h"

#include "services/folders.h"
#include "services/inifile.h"
#include "services/log.h"
#include "services/vberror.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QProgressBar>

#include <functional>

namespace tolvane {
namespace {

const QString kForm = QStringLiteral("frmOutputDXF");

// The original measured in twips; 15 of them make a pixel at 96 dpi.
QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

// Sets a button picture from the materials folder; throws VbError(53) when
// the file is missing or no picture.
void loadPicture(QLabel* button, const QString& file)
{
    QPixmap picture;
    if (!picture.load(MaterialsFolder() + QLatin1Char('/') + file))
        throw VbError(kErrFileNotFound);
    button->setPixmap(picture);
}

// A picture used as a button: its own pictures on press and release, a
// click when the mouse is released over it. Without its pictures it shows
// its caption, so the dialog stays usable.
class PictureButton final : public QLabel {
public:
    PictureButton(const QString& caption, QWidget* parent) : QLabel(caption, parent)
    {
        setAlignment(Qt::AlignCenter);
        setFrameShape(QFrame::Panel);
        setCursor(Qt::PointingHandCursor);
    }
    std::function<void()> onDown, onUp, onClick;

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton && onDown)
            onDown();
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton)
            return;
        if (onUp)
            onUp();
        if (rect().contains(e->position().toPoint()) && onClick)
            onClick();
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
    setWindowTitle(QStringLiteral("DXF出力"));
    setWindowModality(Qt::WindowModal);
    setFixedSize(3720 / 15, 1965 / 15);

    prompt_ = new QLabel(QStringLiteral("スプリング線図の名称を入力してください。"), this);
    prompt_->setObjectName(QStringLiteral("Label1"));
    // A little taller than the original label, so no glyph is clipped.
    prompt_->setGeometry(twips(180, 60, 3195, 240));
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("Text2"));
    name_->setGeometry(twips(105, 315, 2625, 300));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setGeometry(twips(105, 735, 3495, 300));
    progress_->setTextVisible(false);
    vorn_ = new QCheckBox(QStringLiteral("Vornファイルを作成する"), this);
    vorn_->setObjectName(QStringLiteral("chkCreateVornFile"));
    vorn_->setGeometry(twips(240, 1080, 3255, 375));
    auto* ok = new PictureButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("imgOk"));
    ok->setGeometry(twips(105, 1500, 1695, 375));
    auto* cancel = new PictureButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("imgCancel"));
    cancel->setGeometry(twips(1900, 1500, 1695, 375));
    ok_ = ok;
    cancel_ = cancel;

    output_ = std::make_unique<DxfOutput>(inputs, record, recordComplete, ui, static_cast<DxfOutputView&>(*this));
    vorn_->setChecked(output_->createVornFile());
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) { output_->setDiagramName(text); });
    connect(vorn_, &QCheckBox::toggled, this, [this](bool on) { output_->setCreateVornFile(on); });

    ok->onDown = [ok] { guarded(QStringLiteral("imgOk_MouseDown"), [ok] { loadPicture(ok, QStringLiteral("OK_outputDxf_on.gif")); }); };
    ok->onUp = [ok] { guarded(QStringLiteral("imgOk_MouseUp"), [ok] { loadPicture(ok, QStringLiteral("OK_outputDxf_off.gif")); }); };
    ok->onClick = [this] { output_->imgOk_Click(); };
    cancel->onDown = [cancel] {
        guarded(QStringLiteral("imgCancel_MouseDown"), [cancel] { loadPicture(cancel, QStringLiteral("cancel_outputDxf_on.gif")); });
    };
    cancel->onUp = [cancel] {
        guarded(QStringLiteral("imgCancel_MouseUp"), [cancel] { loadPicture(cancel, QStringLiteral("cancel_outputDxf_off.gif")); });
    };
    cancel->onClick = [this] { output_->imgCancel_Click(); };

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
    const bool light = SkinName() == QLatin1String("Light");
    const QPalette system = QApplication::palette();
    const QColor back = light ? system.color(QPalette::Button) : QColor(48, 48, 48);
    const QColor text = light ? system.color(QPalette::WindowText) : QColor(255, 255, 255);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, back);
    setPalette(pal);
    setAutoFillBackground(true);
    for (QWidget* w : {static_cast<QWidget*>(prompt_), static_cast<QWidget*>(vorn_)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, back);
        p.setColor(QPalette::WindowText, text);
        p.setColor(QPalette::Text, text);
        w->setPalette(p);
    }
    vorn_->setAutoFillBackground(true);
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
