// The result report and the commands of the result box.
#include "calc/calcmodel.h"

#include "calc/calc_detail.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <span>

namespace tolvane {

using namespace calcdetail;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A report line as it is printed: a line break inside it would split it in
// two, so each becomes a blank. Only a catalogue's texts can bring one; the
// boxes are numbers by then (refusedNumber).
QString oneLine(QString line)
{
    if (line.contains(u'\r') || line.contains(u'\n'))
        line.replace(u'\r', u' ').replace(u'\n', u' ');
    return line;
}

// A number of a box as the report prints it, typed or written by the rules:
// without the blanks and tabs around it that the reading allows. Shared
// when it has none.
QString printedNumber(const QString& typed)
{
    const QStringView number = withoutBlanksAround(typed);
    return number.size() == typed.size() ? typed : number.toString();
}

}  // namespace

void CalcModel::imgDisplayTxt_Click()
{
    try {
        buildReport();
    } catch (const VbError& e) {
        logError(QStringLiteral("[frmMain]-[imgDisplayTxt_Clickイベント]："), e);
    }
}

CalcModel::ReportCompressions CalcModel::finalAndStartCompressions(double initial) const
{
    auto val = [&](Ctl c) { return valText(form_.text(c)); };
    ReportCompressions out;
    out.CompFinalText = dblText(val(field::Stroke) + initial);
    out.CompStartText = dblText(cdbl(out.CompFinalText)
                                - (InputMode == kAll ? val(field::PlateThickness) + val(field::Bite)
                                                     : val(field::StartBeforeBottom)));
    return out;
}

namespace {

// A box the report and the drawing read as a number, named by the caption
// beside it on the window.
struct NumberBox {
    Ctl box;
    const char16_t* caption;
};

// What the user enters, in the window's order; then the bite or the
// distance before bottom dead centre, by the mode.
constexpr NumberBox kEnteredBoxes[] = {
    {field::PlateThickness, u"板厚 (T)"},   {field::ProcessingLength, u"加工長さ (L)"},
    {field::ShearFactor, u"係数"},          {field::StrippingPercent, u"ストリッピング"},
    {field::InitialCompression, u"初圧 (mm)"}, {field::Stroke, u"ストローク (mm)"},
    {field::SpringCount, u"使用本数"},
};
constexpr NumberBox kBiteBox{field::Bite, u"カミアイ"};
constexpr NumberBox kStartBeforeBottomBox{field::StartBeforeBottom, u"下死点手前 m/m"};

// The forces the rules write (mode "all"). What the user types into them is
// checked like the other boxes; a force the rules could not compute is told
// as such (uncomputable) before.
constexpr NumberBox kForceBoxes[] = {
    {field::ProcessingPressure, u"圧力 (Kg)"},
    {field::StrippingForce, u"必要ストリッピング力"},
};

QString captionOf(Ctl box)
{
    for (const auto& boxes : {std::span<const NumberBox>(kEnteredBoxes), std::span<const NumberBox>(kForceBoxes),
                              std::span<const NumberBox>(&kBiteBox, 1),
                              std::span<const NumberBox>(&kStartBeforeBottomBox, 1)}) {
        for (const NumberBox& b : boxes) {
            if (b.box == box)
                return QString::fromUtf16(b.caption);
        }
    }
    return QString();
}

QString quoted(Ctl box) { return QStringLiteral("「") + captionOf(box) + QStringLiteral("」"); }

QString typedMessage(const QString& caption)
{
    return QStringLiteral("「") + caption
           + QStringLiteral("」に入力された値は、計算できる数値ではありません。\r入力し直してください。");
}

// The chosen spring's values a value may be worked out from, named by the
// caption beside each on the window.
constexpr NumberBox kSpringValues[] = {
    {field::FreeLength, u"長さ"}, {field::RateN, u"N/mm"}, {field::RateKgf, u"kgf/mm"}};

// What each value the rules may not compute (CalcModel::Uncomputable, in
// its order) is worked out from: the boxes in the window's order (mode
// "all" has no distance before bottom dead centre, mode "part" no plate
// thickness or bite), and the spring's values. A force is named as the
// value of its box, anything else by what it is.
struct UncomputableValue {
    std::initializer_list<Ctl> sources;
    std::optional<Ctl> shownIn;
    const char16_t* what = nullptr;
    std::initializer_list<Ctl> springValues = {};
};
const UncomputableValue kUncomputableValues[] = {
    {{field::PlateThickness, field::ProcessingLength, field::ShearFactor}, field::ProcessingPressure},
    {{field::ProcessingPressure, field::StrippingPercent}, field::StrippingForce},
    {{field::InitialCompression, field::SpringCount}, std::nullopt, u"荷重", {field::RateN, field::RateKgf}},
    {{field::PlateThickness, field::InitialCompression, field::Stroke, field::SpringCount, field::Bite,
      field::StartBeforeBottom},
     std::nullopt, u"荷重", {field::RateN, field::RateKgf}},
    {{field::InitialCompression, field::Stroke, field::SpringCount}, std::nullopt, u"荷重", {field::RateN, field::RateKgf}},
    {{field::InitialCompression, field::Stroke}, std::nullopt, u"圧縮長", {field::FreeLength}},
    {{field::PlateThickness, field::InitialCompression, field::Stroke, field::Bite, field::StartBeforeBottom},
     std::nullopt, u"タワミ量"},
    {{field::InitialCompression}, std::nullopt, u"設置長", {field::FreeLength}},
};

QString springValueCaption(Ctl label)
{
    for (const NumberBox& v : kSpringValues) {
        if (v.box == label)
            return QStringLiteral("「") + QString::fromUtf16(v.caption) + QStringLiteral("」");
    }
    return QString();
}
static_assert(std::size(kUncomputableValues) == static_cast<std::size_t>(CalcModel::Uncomputable::SetLength) + 1);

}  // namespace

std::optional<CalcModel::RefusedNumber> CalcModel::refusedNumber(CheckedFor output) const
{
    const bool all = InputMode == kAll;
    // What the boxes read is kept for working out the values: the initial
    // compression, and the size of the largest number.
    double initial = 0;
    double largest = 0;
    auto refused = [&](const NumberBox& b, bool single) -> std::optional<RefusedNumber> {
        const QString& text = form_.text(b.box);
        if (text.isEmpty())
            return std::nullopt;
        try {
            const double v = single ? csng(text) : cdbl(text);
            largest = std::max(largest, std::fabs(v));
            if (b.box == field::InitialCompression)
                initial = v;
        } catch (const VbError& e) {
            return RefusedNumber{b.box, typedMessage(QString::fromUtf16(b.caption)), e};
        }
        return std::nullopt;
    };
    for (const NumberBox& b : kEnteredBoxes) {
        if (std::optional<RefusedNumber> r = refused(b, false))
            return r;
    }
    if (std::optional<RefusedNumber> r = refused(all ? kBiteBox : kStartBeforeBottomBox, false))
        return r;
    if (output == CheckedFor::Report && initial < 0)
        initial = 0;
    if (const std::optional<Uncomputable> which = uncomputable(output, initial, largest)) {
        // Named by every box it is worked out from; the focus goes to the
        // one that holds the largest number, the likeliest to be mistyped.
        const UncomputableValue& v = kUncomputableValues[static_cast<std::size_t>(*which)];
        QStringList phrases;
        std::optional<Ctl> focus;
        double size = -1;
        for (Ctl source : v.sources) {
            if (all ? source == field::StartBeforeBottom : source == field::PlateThickness || source == field::Bite)
                continue;
            phrases << quoted(source) + QStringLiteral("、");
            double here = initial;
            if (source != field::InitialCompression) {
                try {
                    here = valText(form_.text(source));
                } catch (const VbError& e) {
                    // Only a force box is read here unchecked: what the user
                    // typed there is beyond a number.
                    return RefusedNumber{source, typedMessage(captionOf(source)), e};
                }
            }
            if (std::fabs(here) > size) {
                size = std::fabs(here);
                focus = source;
            }
        }
        QString advice = QStringLiteral("入力した値を確かめてください。");
        // With no box that large, what cannot be worked with is the
        // spring's own value: named as such, and the focus goes to the
        // sizes, where another spring is chosen.
        if (size <= kSafelyComputable) {
            QStringList spring;
            for (Ctl value : v.springValues) {
                if (!readsWithin(form_.text(value), kSafelyComputable))
                    spring << springValueCaption(value) + QStringLiteral("、");
            }
            if (!spring.isEmpty()) {
                spring.first().prepend(QStringLiteral("スプリングの"));
                phrases = spring;
                focus = field::SizeList;
                advice = QStringLiteral("ほかのサイズを選んでください。");
            }
        }
        phrases.last().chop(1);
        phrases.last() += QStringLiteral("から求めた");
        phrases << (v.shownIn ? quoted(*v.shownIn) + QStringLiteral("の値が") : QString::fromUtf16(v.what) + u'が');
        // The message box breaks a long line between these phrases.
        return RefusedNumber{*focus,
                             phrases.join(QString()) + QStringLiteral("大きすぎるため、計算できません。\r") + advice,
                             VbError(kErrOverflow)};
    }
    if (all) {
        for (const NumberBox& b : kForceBoxes) {
            if (std::optional<RefusedNumber> r = refused(b, true))
                return r;
        }
    }
    return std::nullopt;
}

void CalcModel::checkNumberBoxes(CheckedFor output)
{
    if (const std::optional<RefusedNumber> refused = refusedNumber(output)) {
        refuseNumber(refused->box, refused->message);
        throw refused->error;
    }
}

CalcModel::ReportCompressions CalcModel::reportCompressions() const
{
    if (const std::optional<RefusedNumber> refused = refusedNumber(CheckedFor::Drawing))
        throw refused->error;
    ReportCompressions out = finalAndStartCompressions(valText(form_.text(field::InitialCompression)));
    out.PartStartSpringLoadN = InputMode == kAll ? PartStartSpringLoadN : partStartSpringLoadN();
    return out;
}

QString CalcModel::partStartSpringLoadN() const
{
    const double springs = valText(form_.text(field::SpringCount));
    return springs == 0 ? kDash : dblText(valText(form_.text(field::StartLoadN)) / springs);
}

bool CalcModel::springChosen()
{
    if (!form_.text(field::SpringNo).isEmpty())
        return true;
    ui_.msgBox(QStringLiteral("スプリングが選択されていません。"), kMbInformation, QStringLiteral("警告"));
    return false;
}

bool CalcModel::readyToDraw()
{
    checkNumberBoxes(CheckedFor::Drawing);
    return springChosen();
}

void CalcModel::refuseNumber(Ctl box, const QString& message)
{
    ui_.msgBox(message, kMbOk | kMbExclamation, QStringLiteral("警告"));
    // The box the message names, its text ready to be typed over; or the
    // sizes, for a spring's value.
    screen_.setFocus(box);
    if (box != field::SizeList)
        boxGotFocus(box);
}

// The report is built whole and then put into the box, so it is either
// complete or not there at all: a per-spring value over a zero count is
// "---". The report writes "0" only into an empty initial compression or
// bite and over a negative initial compression; a box that is not a number
// is the user's to correct, so it is named in a message, left as typed, and
// no report is made.
void CalcModel::buildReport()
{
    auto text = [&](Ctl c) -> const QString& { return form_.text(c); };
    auto number = [&](Ctl c) { return printedNumber(form_.text(c)); };

    Textbox1Clar();

    checkNumberBoxes(CheckedFor::Report);

    const bool all = InputMode == kAll;
    if (text(field::InitialCompression).isEmpty())
        form_.setText(field::InitialCompression, kZero);
    if (strictOr(text(field::InitialCompression), 0) < 0)
        form_.setText(field::InitialCompression, kZero);
    if (all && text(field::Bite).isEmpty())
        form_.setText(field::Bite, kZero);
    const ReportCompressions compressions = finalAndStartCompressions(valText(text(field::InitialCompression)));
    CompFinalText = compressions.CompFinalText;
    CompStartText = compressions.CompStartText;

    QString out;
    int count = 0;
    auto line = [&](const QString& s) { out += oneLine(s) + kCrLf; };

    if (all) {
        const bool length = !text(field::ProcessingLength).isEmpty();
        const bool plate = !text(field::PlateThickness).isEmpty();
        if (length)
            line(QStringLiteral("加工長 = ") + number(field::ProcessingLength) + QStringLiteral("m/m"));
        if (plate)
            line(QStringLiteral("板厚 = t") + number(field::PlateThickness));
        if (length && plate) {
            line(QStringLiteral("加工圧 = ") + number(field::ProcessingPressure) + QStringLiteral("kgf"));
            line(QStringLiteral("必要ストリッピング力 (") + number(field::StrippingPercent) + QStringLiteral("％) = ")
                 + number(field::StrippingForce) + QStringLiteral("kgf"));
        }
        if (length || plate)
            out += kCrLf;
        count = 5;
    }

    const QString& springNo = text(field::SpringNo);
    if (springNo.isEmpty()) {
        if (!out.isEmpty())
            form_.setText(field::ReportText, out);
        springChosen();
    } else {
        line(springNo);
        line(QStringLiteral("L = ") + text(field::FreeLength));
        line(QStringLiteral("kg/mm = ") + text(field::RateKgf));
        line(QStringLiteral("N/mm = ") + text(field::RateN));
        line(QStringLiteral("圧縮長 = ") + text(field::CompressedLength) + QStringLiteral("mm"));
        count = all ? count + 5 : 5;

        if (!text(field::Stroke).isEmpty()) {
            auto counted = [&](const QString& s) {
                line(s);
                ++count;
            };
            auto startCondition = [&] {
                if (all)
                    return strictOr(text(field::Bite), 0) != 0
                        && strictOr(text(field::ProcessingPressure), 0) != 0;
                return strictOr(text(field::StartBeforeBottom), 0) > 0;
            };
            const QString initial = number(field::InitialCompression);
            const bool initialAbove0 = strictOr(initial, 0) > 0;
            const QString n = number(field::SpringCount);
            const QString atStart = QStringLiteral("加工開始 = ") + CompStartText + QStringLiteral("mm");
            const QString atFinal = QStringLiteral("終圧 = ") + CompFinalText + QStringLiteral("mm");
            const QString atInitial = QStringLiteral("初圧 = ") + initial + QStringLiteral("mm");
            // "<at> --> <per spring><unit>X<count>=<total><unit>"
            auto load = [&](const QString& at, const QString& perSpring, const QString& total, const char16_t* unit) {
                const QString u = QString::fromUtf16(unit);
                return at + QStringLiteral(" --> ") + perSpring + u + QLatin1Char('X') + n + QLatin1Char('=') + total + u;
            };

            counted(QString());
            counted(QStringLiteral("---------- SPタワミ ---------"));
            counted(initial.isEmpty() ? QStringLiteral("初圧 = 0mm") : atInitial);
            if (startCondition())
                counted(atStart);
            counted(atFinal);
            counted(QString());
            counted(QStringLiteral("------------ kg ------------"));
            counted(initialAbove0
                        ? load(atInitial, text(field::InitialSpringLoadKgf), text(field::InitialLoadKgf), u"kg")
                        : QStringLiteral("初圧 = 0kg"));
            if (startCondition())
                counted(load(atStart, text(field::StartSpringLoadKgf), text(field::StartLoadKgf), u"kg"));
            counted(load(atFinal, text(field::FinalSpringLoadKgf), text(field::FinalLoadKgf), u"kg"));
            counted(QString());
            counted(QStringLiteral("------------- N -----------"));
            counted(initialAbove0 ? load(atInitial, forces.InitialSpringLoadN, text(field::InitialLoadN), u"N")
                                  : QStringLiteral("初圧 = 0N"));
            if (startCondition()) {
                QString perSpring = forces.StartSpringLoadN;
                if (!all) {
                    PartStartSpringLoadN = partStartSpringLoadN();
                    perSpring = PartStartSpringLoadN;
                }
                counted(load(atStart, perSpring, text(field::StartLoadN), u"N"));
            }
            counted(load(atFinal, forces.FinalSpringLoadN, text(field::FinalLoadN), u"N"));
            counted(QString());
            optionbutton_view();
            out += oneLine(QStringLiteral("ST = ") + number(field::Stroke) + QStringLiteral("  ( 使用回数 ")
                           + UseCountText + QStringLiteral(" )"));
            ++count;
        }
        form_.setText(field::ReportText, out);
    }

    // Only a report with its compression blocks turns the drawing button
    // on; a shorter one leaves it off, as emptying the box left it.
    const bool shown = !text(field::ReportText).isEmpty();
    setCommandButton(Ctl::imgSelectAll, u"select_all", shown);
    if (!shown || count > 11)
        setCommandButton(Ctl::imgOutputDXF, u"output_dxf", shown);
    for (Ctl menu : {Ctl::mnuAllsel, Ctl::mnuPrint, Ctl::mnuSave2, Ctl::mnuDxf})
        form_.setEnabled(menu, shown);
    form_.setSelection(field::ReportText, 0, 0);
}

// --- the result box ------------------------------------------------------------------

void CalcModel::setCommandButton(Ctl button, const char16_t* name, bool enabled)
{
    form_.setEnabled(button, enabled);
    loadPicture(button, materialsPicture(name, enabled ? u"_off.gif" : u"_disable.gif"));
}

void CalcModel::Text1_Change()
{
    guarded(u"Text1_Change", [&] {
        if (form_.text(field::ReportText).isEmpty()) {
            // Nothing is drawn from a report no longer shown: whatever
            // empties the box (a new kind or series, a use count, a mode, a
            // reset) turns the DXF commands off until a report turns them on
            // again. Every command goes off before any picture is loaded, so
            // a picture that cannot be read leaves none of them on.
            const bool dxfWasOn = form_[Ctl::imgOutputDXF].enabled;
            for (Ctl command : {Ctl::imgCopy, Ctl::imgOutputDXF, Ctl::mnuCopy, Ctl::mnuCut, Ctl::mnuAllsel,
                                Ctl::mnuPrint, Ctl::mnuSave2, Ctl::mnuDxf})
                form_.setEnabled(command, false);
            // As in the clear commands, a missing picture leaves the button
            // off with its old picture, without an error line.
            if (dxfWasOn) {
                try {
                    setCommandButton(Ctl::imgOutputDXF, u"output_dxf", false);
                } catch (const VbError&) {
                }
            }
            setCommandButton(Ctl::imgCopy, u"copy", false);
        }
        if (SaveState != QStringLiteral("SaveNon"))
            SaveState = QStringLiteral("SaveNon");
    });
}

void CalcModel::Text1_Click(const QString& selectedText)
{
    guarded(u"Text1_Click", [&] {
        const bool selected = !selectedText.isEmpty();
        setCommandButton(Ctl::imgCopy, u"copy", selected);
        form_.setEnabled(Ctl::mnuCopy, selected);
        form_.setEnabled(Ctl::mnuCut, selected);
    });
}

void CalcModel::com2_syori()
{
    guarded(u"com2_syori", [&] {
        if (!form_[Ctl::imgSelectAll].enabled)
            return;
        setCommandButton(Ctl::imgSelectAll, u"select_all", false);
    });
}

void CalcModel::com3_syori()
{
    guarded(u"com3_syori", [&] {
        if (!form_[Ctl::imgCopy].enabled)
            return;
        setCommandButton(Ctl::imgCopy, u"copy", false);
    });
}

void CalcModel::setDxfCommandsEnabled(bool enabled)
{
    guarded(u"setDxfCommandsEnabled", [&] {
        setCommandButton(Ctl::imgOutputDXF, u"output_dxf", enabled);
        form_.setEnabled(Ctl::mnuDxf, enabled);
    });
}

}  // namespace tolvane
