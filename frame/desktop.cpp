#include "frame/desktop.h"

#include "frame/printlayout.h"
#include "frame/qtdialogs.h"
#include "services/atomicfile.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

#include <utility>

namespace tolvane {

namespace {

// Prompts break lines with a lone CR (the texts are kept in that form);
// the message box wants LF.
QString displayText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// Japanese text breaks as it is set: no line starts with a closing mark,
// none ends with an opening one.
bool closingMark(QChar c) { return QStringView(u"、。，．：；！？」』）").contains(c); }
bool openingMark(QChar c) { return QStringView(u"「『（").contains(c); }

// True when a line may break before text[i]; never inside a surrogate pair.
bool mayBreakBefore(QStringView text, qsizetype i)
{
    return i > 0 && i < text.size() && !closingMark(text[i]) && !openingMark(text[i - 1]) && !text[i].isLowSurrogate();
}

// The text cut into phrases, each ending where a line may break: after a
// Japanese comma or full stop, an exclamation or a blank, and before an
// opening quote; never inside a quote, which names one box.
QStringList phrases(QStringView line)
{
    QStringList out;
    qsizetype start = 0;
    auto cutBefore = [&](qsizetype i) {
        if (i > start && mayBreakBefore(line, i)) {
            out << line.sliced(start, i - start).toString();
            start = i;
        }
    };
    int quoted = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'「' && quoted++ == 0)
            cutBefore(i);
        if (c == u'」' && quoted > 0)
            --quoted;
        if (quoted == 0 && QStringView(u"、。！？ \u3000").contains(c))
            cutBefore(i + 1);
    }
    if (start < line.size())
        out << line.sliced(start).toString();
    return out;
}

// Japanese has no blanks between words, so a line the box wraps by itself
// may break inside one (「大きす」 and 「ぎるため」), or before a colon. A
// line wider than width is broken here between phrases instead; a phrase
// wider by itself (a long path) where as much of it fits as may end a line.
QString brokenBetweenPhrases(const QString& text, const QFontMetrics& metrics, int width)
{
    auto fits = [&](QStringView s) { return metrics.horizontalAdvance(s.toString()) <= width; };
    QStringList lines;
    for (const QString& line : text.split(u'\n')) {
        if (fits(line)) {
            lines << line;
            continue;
        }
        QString current;
        for (QString phrase : phrases(line)) {
            if (!current.isEmpty() && !fits(current + phrase))
                lines << std::exchange(current, QString());
            while (!fits(phrase)) {
                qsizetype fitting = 1;
                while (fitting < phrase.size() && fits(QStringView(phrase).first(fitting + 1)))
                    ++fitting;
                qsizetype cut = fitting;
                while (cut > 1 && !mayBreakBefore(phrase, cut))
                    --cut;
                if (!mayBreakBefore(phrase, cut))
                    cut = fitting;  // marks all the way: as much as fits
                lines << phrase.first(cut);
                phrase.remove(0, cut);
            }
            current += phrase;
        }
        lines << current;
    }
    return lines.join(u'\n');
}

// A box with no owner stands at the centre of the screen by the size it
// really has. By itself it is placed before its text is laid out, for a
// size and a window frame it can only guess.
class CentredMessageBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        breakLinesBetweenPhrases();
        if (parentWidget() || !screen())
            return;
        QRect frame = frameGeometry();
        frame.moveCenter(screen()->availableGeometry().center());
        move(frame.topLeft());
    }

private:
    // Shown, the box has chosen its width and whether its text wraps: its
    // text is then broken between phrases where it must be, and the box
    // takes the height that needs.
    void breakLinesBetweenPhrases()
    {
        auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        if (!label || !label->wordWrap() || Qt::mightBeRichText(label->text()))
            return;
        const QString broken = brokenBetweenPhrases(label->text(), label->fontMetrics(), label->contentsRect().width());
        if (broken == label->text())
            return;
        label->setText(broken);
        setFixedHeight(heightForWidth(width()));
    }
};

}  // namespace

int QtUserInterface::msgBox(const QString& prompt, int style, const QString& title)
{
    // The start-up's messages come before the window is shown; a box owned
    // by it would open where the unshown window is, the screen's top-left
    // corner. Without an owner it opens at the centre of the screen.
    CentredMessageBox box(owner_ && owner_->isVisible() ? owner_.data() : nullptr);
    box.setWindowTitle(title);
    box.setText(displayText(prompt));
    switch (style & 0x70) {
    case kMbCritical: box.setIcon(QMessageBox::Critical); break;
    case kMbQuestion: box.setIcon(QMessageBox::Question); break;
    case kMbExclamation: box.setIcon(QMessageBox::Warning); break;
    case kMbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    struct Choice {
        QMessageBox::StandardButton button;
        const char16_t* caption;
        int result;
    };
    QList<Choice> choices;
    switch (style & 0x7) {
    case kMbOkCancel:
        choices = {{QMessageBox::Ok, u"OK", kIdOk}, {QMessageBox::Cancel, u"キャンセル", kIdCancel}};
        break;
    case kMbYesNoCancel:
        choices = {{QMessageBox::Yes, u"はい(&Y)", kIdYes}, {QMessageBox::No, u"いいえ(&N)", kIdNo},
                   {QMessageBox::Cancel, u"キャンセル", kIdCancel}};
        break;
    case kMbYesNo:
        choices = {{QMessageBox::Yes, u"はい(&Y)", kIdYes}, {QMessageBox::No, u"いいえ(&N)", kIdNo}};
        break;
    default:
        choices = {{QMessageBox::Ok, u"OK", kIdOk}};
        break;
    }
    QMessageBox::StandardButtons buttons;
    for (const Choice& c : choices)
        buttons |= c.button;
    box.setStandardButtons(buttons);
    for (const Choice& c : choices)
        box.button(c.button)->setText(QString::fromUtf16(c.caption));
    box.setDefaultButton(choices.first().button);
    // Escape answers Cancel where there is one, else the only button.
    box.setEscapeButton(box.button(choices.size() > 1 && (style & 0x7) != kMbYesNo ? choices.last().button
                                                                                  : choices.first().button));
    const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const Choice& c : choices) {
        if (c.button == answer)
            return c.result;
    }
    return (style & 0x7) == kMbYesNo ? kIdNo : (choices.size() > 1 ? kIdCancel : kIdOk);
}

void QtUserInterface::beep() { QApplication::beep(); }

std::optional<QString> QtUserInterface::askSaveFile(const FileDialogRequest& request)
{
    QFileDialog dialog(owner_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    prepareFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

std::optional<QStringList> QtUserInterface::askOpenFiles(const FileDialogRequest& request)
{
    QFileDialog dialog(owner_);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    prepareFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles();
}

bool QtUserInterface::openUrl(const QString& url)
{
    const QUrl target = QFileInfo(url).isAbsolute() ? QUrl::fromLocalFile(url) : QUrl(url);
    return QDesktopServices::openUrl(target);
}

void QtUserInterface::setWaitCursor(bool on)
{
    if (on == waiting_)
        return;
    waiting_ = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// --- printing ------------------------------------------------------------------

QtPrinterPort::QtPrinterPort() = default;
QtPrinterPort::~QtPrinterPort() = default;

QStringList QtPrinterPort::printerNames() { return QPrinterInfo::availablePrinterNames(); }

void QtPrinterPort::setup(QWidget* owner)
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer_.get(), owner);
    preparePrintSetup(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // A PDF destination needs a file: with its file box left empty the
    // dialog gives the home folder's name, where nothing can be written.
    const QPrinter& p = *printer_;
    const QFileInfo file(p.outputFileName());
    chosen_ = p.outputFormat() == QPrinter::PdfFormat ? !file.fileName().isEmpty() && !file.isDir()
                                                       : !p.printerName().isEmpty();
}

namespace {

// The job's pages painted on device at dpi dots per inch, rows that do not
// fit going on to the next page, and the document ended.
bool paintJob(QPagedPaintDevice& device, int dpi, const PrintJob& job)
{
    const double cellWidth = dpi / 12.0;
    const double cellHeight = dpi / 6.0;
    const QRectF area = device.pageLayout().paintRectPixels(dpi);
    const int rowsPerPage = qMax(8, int(area.height() / cellHeight));
    const QList<QList<PrintedText>> pages = paginate(job.items, rowsPerPage);

    QPainter painter;
    if (!painter.begin(&device))
        return false;
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSizeF(job.pointSize);
    painter.setFont(font);
    const double ascent = QFontMetricsF(font, &device).ascent();
    for (int p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device.newPage())
            return false;
        for (const PrintedText& t : pages[p])
            painter.drawText(QPointF(t.column * cellWidth, t.row * cellHeight + ascent), t.text);
    }
    return painter.end();
}

// The PDF the printer would write, with the page, resolution and names the
// setup gave it, made in memory and then saved; a write, flush or close that
// fails is a failed print, and an earlier file of that name stays as it was.
std::optional<VbError> printPdf(const QPrinter& printer, const PrintJob& job)
{
    if (printer.outputFileName().isEmpty())
        return VbError(kErrPathFileAccess);
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPdfVersion(printer.pdfVersion());
        writer.setTitle(printer.docName());
        writer.setCreator(printer.creator());
        writer.setResolution(printer.resolution());
        if (!writer.setPageLayout(printer.pageLayout()) || !paintJob(writer, printer.resolution(), job))
            return VbError(kErrDeviceIo);
    }
    return saveFileAtomicOrInto(printer.outputFileName(), pdf.data());
}

}  // namespace

bool printerEndedInError(const QPrinter& printer) { return printer.printerState() == QPrinter::Error; }

std::optional<VbError> printOnPrinter(QPrinter& printer, const PrintJob& job, bool (*endedInError)(const QPrinter&))
{
    if (paintJob(printer, printer.resolution(), job) && !endedInError(printer))
        return std::nullopt;
    return VbError(kErrDeviceIo);
}

std::optional<VbError> QtPrinterPort::print(const PrintJob& job)
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrinter& printer = *printer_;
    printer.setDocName(QStringLiteral("Tolvane"));
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return printPdf(printer, job);
    return printOnPrinter(printer, job, printerEndedInError);
}

// --- clipboard -------------------------------------------------------------------

void QtClipboardPort::clear() { QGuiApplication::clipboard()->clear(); }
void QtClipboardPort::setText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

// --- calculator ------------------------------------------------------------------

const QStringList& DesktopCalculator::candidates()
{
    static const QStringList names = {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
                                      QStringLiteral("mate-calc"),        QStringLiteral("galculator"),
                                      QStringLiteral("qalculate-gtk"),    QStringLiteral("xcalc")};
    return names;
}

QString DesktopCalculator::find()
{
    for (const QString& name : candidates()) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

bool DesktopCalculator::start()
{
    const QString path = find();
    return !path.isEmpty() && QProcess::startDetached(path, {});
}

// --- the set the program runs with ---------------------------------------------

FramePorts DesktopPorts::ports()
{
    FramePorts p;
    p.ui = &ui;
    p.printer = &printer;
    p.clipboard = &clipboard;
    p.calculator = &calculator;
    return p;
}

}  // namespace tolvane
