// The main window as the model's mirror: every change of the model shown on
// its widget, every edit of the user forwarded to the model, and the title
// panel's slide paced by the window's timer.
#include "frame/mainwindow.h"

#include "frame/mainwindow_detail.h"
#include "frame/widgets.h"
#include "services/folders.h"
#include "services/log.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTimer>

#include <optional>

namespace tolvane {

using namespace mainwindowdetail;

namespace {

// A box the input mode turns off shows its text in one grey, readable on
// that grey face in both skins and plainly off beside a box in use.
const QColor kOffText(0x50, 0x50, 0x50);

// The report box shows one character per line end; the model keeps CR LF.
QString toWidgetText(QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

int toWidgetPos(const QString& modelText, int modelPos)
{
    int pos = 0;
    for (int i = 0; i < modelPos && i < modelText.size(); ++i) {
        if (modelText[i] == QLatin1Char('\r') && i + 1 < modelText.size() && modelText[i + 1] == QLatin1Char('\n'))
            continue;
        ++pos;
    }
    return pos;
}

const QStringList kToolbar = {QStringLiteral("imgDisplayTxt"), QStringLiteral("imgSelectAll"),
                              QStringLiteral("imgCopy"),       QStringLiteral("imgClearData"),
                              QStringLiteral("imgAllClear"),   QStringLiteral("imgOutputDXF"),
                              QStringLiteral("imgTotalOutput"), QStringLiteral("imgHowToUse")};
const QStringList kToolbarStems = {QStringLiteral("display_txt"), QStringLiteral("select_all"),
                                   QStringLiteral("copy"),        QStringLiteral("clear_data"),
                                   QStringLiteral("all_clear"),   QStringLiteral("output_dxf"),
                                   QStringLiteral("output_dxf_total"), QStringLiteral("howToUse")};

// The input boxes that select their text on focus, and the Enter chain.
const std::array<Ctl, 9> kInputBoxes = {Ctl::Text2, Ctl::Text4, Ctl::Text5, Ctl::Text8, Ctl::Text9,
                                        Ctl::Text3, Ctl::Text10, Ctl::Text11, Ctl::Text12};

}  // namespace

namespace mainwindowdetail {

int toModelPos(const QString& modelText, int widgetPos)
{
    int i = 0;
    for (int pos = 0; pos < widgetPos && i < modelText.size(); ++pos) {
        if (modelText[i] == QLatin1Char('\r') && i + 1 < modelText.size() && modelText[i + 1] == QLatin1Char('\n'))
            ++i;
        ++i;
    }
    return i;
}

}  // namespace mainwindowdetail

void MainWindow::wireModel()
{
    form().setObserver([this](Ctl c, Prop p) { mirror(c, p); });

    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        QWidget* w = widgets_[i];
        if (!w)
            continue;
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            QPalette pal = e->palette();
            pal.setColor(QPalette::Disabled, QPalette::Text, kOffText);
            e->setPalette(pal);
            connect(e, &QLineEdit::textEdited, this, [this, c](const QString& text) { model_->userTyped(c, text); });
        } else if (auto* r = qobject_cast<QRadioButton*>(w)) {
            connect(r, &QRadioButton::clicked, this, [this, c, r] {
                {
                    // The model decides the selection; undo the button's own toggle.
                    const QSignalBlocker block(r);
                    r->setChecked(form()[c].value);
                }
                model_->userClickedOption(c);
            });
        } else if (auto* l = qobject_cast<QListWidget*>(w)) {
            // An entry reached with the arrow keys is chosen at once, as by a
            // click, so the spring data always belongs to the entry shown as
            // chosen; a click on the entry already chosen, or Enter, chooses
            // it again. The model's own changes come under a signal blocker.
            connect(l, &QListWidget::currentRowChanged, this, [this, c, l](int row) {
                l->setProperty("rowChangedByPress", true);
                if (row >= 0)
                    model_->userClickedList(c, row);
            });
            connect(l, &QListWidget::itemClicked, this, [this, c, l](QListWidgetItem* item) {
                if (!l->property("rowChangedByPress").toBool())
                    model_->userClickedList(c, l->row(item));
            });
            l->viewport()->installEventFilter(this);
            if (auto* choice = dynamic_cast<ChoiceList*>(l))
                choice->enterPressed = [this, c](int row) { model_->userClickedList(c, row); };
        } else if (auto* s = qobject_cast<SpinArrows*>(w)) {
            connect(s, &SpinArrows::stepped, this, [this, c](int step) { model_->userSpin(c, step); });
        }
    }

    // Picture buttons of the toolbar: pressed and released looks, then the click.
    for (int i = 0; i < kToolbar.size(); ++i) {
        auto* b = findChild<PictureButton*>(kToolbar[i]);
        const QString name = kToolbar[i];
        const QString stem = kToolbarStems[i];
        connect(b, &PictureButton::pressed, this, [this, name, stem] { pressPicture(name, stem, true); });
        connect(b, &PictureButton::released, this, [this, name, stem] { pressPicture(name, stem, false); });
    }
    auto onClick = [this](const QString& name, auto handler) {
        connect(findChild<PictureButton*>(name), &PictureButton::clicked, this, handler);
    };
    onClick(QStringLiteral("imgDisplayTxt"), [this] { model_->imgDisplayTxt_Click(); });
    onClick(QStringLiteral("imgSelectAll"), [this] { imgSelectAll_Click(); });
    onClick(QStringLiteral("imgCopy"), [this] { imgCopy_Click(); });
    onClick(QStringLiteral("imgClearData"), [this] { imgClearData_Click(); });
    onClick(QStringLiteral("imgAllClear"), [this] { imgAllClear_Click(); });
    onClick(QStringLiteral("imgOutputDXF"), [this] { imgOutputDXF_Click(); });
    onClick(QStringLiteral("imgTotalOutput"), [this] { imgTotalOutput_Click(); });
    onClick(QStringLiteral("imgHowToUse"), [this] { imgHowToUse_Click(); });
    onClick(QStringLiteral("imgRoundSp"), [this] { model_->kindClicked(QStringLiteral("M1")); });
    onClick(QStringLiteral("imgSquare1Sp"), [this] { model_->kindClicked(QStringLiteral("K1")); });
    onClick(QStringLiteral("imgSquare2Sp"), [this] { model_->kindClicked(QStringLiteral("K2")); });
    for (Ctl frame : kSeriesFrames) {
        for (const char16_t* series : seriesOrder(frame)) {
            const QString code = QString::fromUtf16(series);
            onClick(QStringLiteral("img") + code, [this, code] { model_->seriesClicked(code); });
        }
    }

    for (Ctl c : kInputBoxes)
        widgets_[static_cast<int>(c)]->installEventFilter(this);

    mirrorAll();
}

void MainWindow::mirrorAll()
{
    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        for (Prop p : {Prop::Text, Prop::Enabled, Prop::Visible, Prop::Value, Prop::Picture, Prop::Items})
            mirror(c, p);
    }
}

void MainWindow::mirror(Ctl c, Prop p)
{
    const ControlState& s = form()[c];
    if (QAction* a = actions_[static_cast<int>(c)]) {
        if (p == Prop::Enabled)
            a->setEnabled(s.enabled);
        else if (p == Prop::Visible)
            a->setVisible(s.visible);
        return;
    }
    QWidget* w = widgets_[static_cast<int>(c)];
    if (!w)
        return;
    if (queueSlideStep(c, p))
        return;
    const QSignalBlocker block(w);
    switch (p) {
    case Prop::Text:
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            if (e->text() != s.text)
                e->setText(s.text);
        } else if (w == report_) {
            if (report_->toPlainText() != toWidgetText(s.text)) {
                // Lines are appended one by one: keep the view where it is.
                const int scroll = report_->verticalScrollBar()->value();
                report_->setPlainText(toWidgetText(s.text));
                report_->verticalScrollBar()->setValue(scroll);
            }
        } else if (auto* r = qobject_cast<QRadioButton*>(w)) {
            r->setText(s.text.isEmpty() ? r->text() : s.text);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            if (!qobject_cast<PictureButton*>(w))
                l->setText(s.text);
        }
        break;
    case Prop::Enabled:
        w->setEnabled(s.enabled);
        break;
    case Prop::Visible:
        w->setVisible(s.visible);
        break;
    case Prop::ForeColor:
        applyForeColor(w, s.foreColor);
        break;
    case Prop::BackColor:
        applyBackColor(w, s.backColor);
        break;
    case Prop::Value:
        if (auto* r = qobject_cast<QRadioButton*>(w))
            r->setChecked(s.value);
        break;
    case Prop::Left:
        w->move(px(s.left), w->y());
        break;
    case Prop::Height:
        w->resize(w->width(), px(s.height));
        break;
    case Prop::Picture:
        if (auto* b = qobject_cast<PictureButton*>(w); b && !s.picture.isEmpty()) {
            const QPixmap pixmap(ProgramFolder() + QLatin1Char('/') + s.picture);
            if (!pixmap.isNull())
                b->showPicture(pixmap, s.picture);
        }
        break;
    case Prop::Items:
        if (auto* l = qobject_cast<QListWidget*>(w)) {
            l->clear();
            l->addItems(s.items);
        }
        break;
    case Prop::ListIndex:
        if (auto* l = qobject_cast<QListWidget*>(w))
            l->setCurrentRow(s.listIndex);
        break;
    case Prop::Selection:
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->setSelection(s.selStart, s.selLength);
        } else if (w == report_) {
            QTextCursor cursor = report_->textCursor();
            const int start = toWidgetPos(s.text, s.selStart);
            const int end = toWidgetPos(s.text, s.selStart + s.selLength);
            cursor.setPosition(start);
            cursor.setPosition(end, QTextCursor::KeepAnchor);
            report_->setTextCursor(cursor);
        }
        break;
    case Prop::Spin:
        w->setProperty("spinMin", s.spinMin);
        w->setProperty("spinMax", s.spinMax);
        w->setProperty("spinValue", s.spinValue);
        break;
    }
}

// While the window shows, the slide's steps (the labels' lefts and the
// panel's hiding at its end) wait their turn; anything else the user does
// meanwhile applies at once, as the model already stands past the slide.
bool MainWindow::queueSlideStep(Ctl c, Prop p)
{
    const bool label = (c == Ctl::Label55 || c == Ctl::Label56) && p == Prop::Left;
    const bool panel = c == Ctl::Picture6 && p == Prop::Visible;
    if (!label && !panel)
        return false;
    if (!isVisible()) {
        playSlide(true);
        return false;
    }
    if (panel && slideSteps_.empty())
        return false;
    const int value = label ? form()[c].left : int(form()[c].visible);
    // Twips within one pixel look the same: one step holds them all, with
    // their paces added up.
    if (label && !slideSteps_.empty() && slideSteps_.back().control == c && px(slideSteps_.back().value) == px(value))
        slideSteps_.back().value = value;
    else
        slideSteps_.push_back({c, value});
    if (!slideTimer_->isActive()) {
        slideClock_.start();
        slideShownNs_ = 0;
        slideTimer_->start();
    }
    return true;
}

void MainWindow::paceSlide(Ctl label)
{
    // The panel moves one twip a step, the name ten times slower than the
    // version text.
    if (!slideSteps_.empty())
        slideSteps_.back().paceNs += label == Ctl::Label55 ? 100000 : 10000;
}

void MainWindow::playSlide(bool all)
{
    const qint64 now = all ? 0 : slideClock_.nsecsElapsed();
    while (!slideSteps_.empty() && (all || slideShownNs_ <= now)) {
        const SlideStep step = slideSteps_.front();
        slideSteps_.pop_front();
        QWidget* w = widgets_[static_cast<int>(step.control)];
        if (step.control == Ctl::Picture6)
            w->setVisible(step.value != 0);
        else
            w->move(px(step.value), w->y());
        slideShownNs_ += step.paceNs;
    }
    if (slideSteps_.empty())
        slideTimer_->stop();
}

void MainWindow::setFocus(Ctl box)
{
    if (QWidget* w = widgets_[static_cast<int>(box)])
        w->setFocus(Qt::OtherFocusReason);
}

QString MainWindow::selectedReportText() const
{
    const QTextCursor cursor = report_->textCursor();
    const QString text = form()[Ctl::Text1].text;
    const int start = toModelPos(text, cursor.selectionStart());
    const int end = toModelPos(text, cursor.selectionEnd());
    return text.mid(start, end - start);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        // A press that changes a list's row has chosen it; its click then does not again.
        if (auto* list = qobject_cast<QListWidget*>(watched->parent()); list && watched == list->viewport())
            list->setProperty("rowChangedByPress", false);
    }
    if (watched == report_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        model_->Text1_Click(selectedReportText());
        return false;
    }
    for (Ctl c : kInputBoxes) {
        if (watched != widgets_[static_cast<int>(c)])
            continue;
        if (event->type() == QEvent::FocusIn) {
            model_->boxGotFocus(c);
            // A mouse press places the caret after the focus arrives; select again once it has.
            QTimer::singleShot(0, this, [this, c] {
                if (widgets_[static_cast<int>(c)]->hasFocus())
                    mirror(c, Prop::Selection);
            });
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
                return false;
            const std::optional<Ctl> next = model_->enterTarget(c);
            if (!next)
                return false;  // the chain ends at the bite and the distance
            try {
                widgets_[static_cast<int>(*next)]->setFocus(Qt::TabFocusReason);
            } catch (const VbError& e) {
                logError(errorLabel(kOwner, QStringLiteral("MoveFocus")), e);
            }
            return true;
        }
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace tolvane
