// The calculation state: the window's design state, the wiring of the change
// rules, start-up, what the user does, the number check, rounding and the
// three resets.
#include "calc/calcmodel.h"

#include "calc/calc_detail.h"
#include "services/folders.h"

#include <QFileInfo>

namespace tolvane {

using namespace calcdetail;

namespace {

constexpr Ctl kResultLabels[] = {
    field::PressureDisplay, field::StrippingForceDisplay, field::SpringCountDisplay, field::InitialLoadKgf,
    field::FinalLoadKgf, field::StartLoadKgf, field::TotalDeflectionDisplay, field::InitialLoadN,
    field::StartLoadN, field::FinalLoadN, field::InitialSpringLoadKgf, field::StartSpringLoadKgf,
    field::FinalSpringLoadKgf, field::InitialDeflectionDisplay, field::StartDeflectionDisplay,
    field::FinalDeflectionDisplay, field::CompressedLength,
};

constexpr Ctl kRuledBoxes[] = {
    field::PlateThickness, field::Stroke, field::ProcessingLength, field::ShearFactor, field::ProcessingPressure,
    field::StrippingPercent, field::InitialCompression, field::SpringCount, field::Bite, field::StartBeforeBottom,
};

}  // namespace

CalcModel::CalcModel(UserInterface& ui, CalcScreen& screen) : ui_(ui), screen_(screen)
{
    // The window as designed, before any rule runs.
    for (Ctl c : kResultLabels)
        form_.setText(c, kDash);
    form_.setHeight(field::MaxDeflectionBar, 2460);
    form_.setHeight(field::UseCountBar, 2460);
    form_.setBackColor(field::MaxDeflectionBar, kLightGrey);
    form_.setBackColor(field::UseCountBar, kLightGrey);
    form_.setLeft(Ctl::Label55, 135);
    form_.setLeft(Ctl::Label56, 1080);
    form_.setVisible(Ctl::Frame5, false);
    // The switched toolbar buttons start disabled; the window loads the
    // pictures at start-up, these are the same names.
    form_.setEnabled(Ctl::imgSelectAll, false);
    form_.setPicture(Ctl::imgSelectAll, QStringLiteral("materials/select_all_disable.gif"));
    form_.setEnabled(Ctl::imgCopy, false);
    form_.setPicture(Ctl::imgCopy, QStringLiteral("materials/copy_disable.gif"));
    form_.setEnabled(Ctl::imgOutputDXF, false);
    form_.setPicture(Ctl::imgOutputDXF, QStringLiteral("materials/output_dxf_disable.gif"));
    form_.setVisible(Ctl::Frame6, false);
    designPictures();
    form_.setOptionGroup({field::ModeAll, field::ModePart});
    form_.setOptionGroup({field::UseCount100, field::UseCount50, field::UseCount30});
    installRules();
}

void CalcModel::installRules()
{
    for (Ctl box : kRuledBoxes)
        form_.onChange(box, [this, box] { textChange(box); });
    form_.onChange(field::ReportText, [this] { Text1_Change(); });
    form_.onChange(field::TotalDeflectionDisplay, [this] { label51Change(); });
    form_.onChange(field::StartSpringLoadKgf, [this] { startLoadRule(field::StartSpringLoadKgf); });
    form_.onChange(field::StartLoadKgf, [this] { startLoadRule(field::StartLoadKgf); });
    form_.onChange(field::StartLoadN, [this] { startLoadRule(field::StartLoadN); });
    form_.onClick(field::ModeAll, [this] { Option1_Click(); });
    form_.onClick(field::ModePart, [this] { Option2_Click(); });
    form_.onClick(field::UseCount100, [this] { Option13_Click(); });
    form_.onClick(field::UseCount50, [this] { Option14_Click(); });
    form_.onClick(field::UseCount30, [this] { Option15_Click(); });
    form_.onClick(field::SizeList, [this] { List1_Click(); });
    form_.onClick(field::DiameterList, [this] { List2_Click(); });
}

void CalcModel::startUp()
{
    startUpDefaults();
    startUpSpinControls();
}

void CalcModel::startUpDefaults()
{
    // No handler of its own: a failure belongs to the window's load step.
    DbFilePath = ProgramFolder() + QStringLiteral("/ZEKA.mdb");
    DbFilePathD = ProgramFolder() + QStringLiteral("/ZEKA_D.mdb");
    GrafuSet();
    DeflectionCheckFlag = kOff;
    SpringKind = QStringLiteral("K1");
    SaveState = QStringLiteral("SaveNon");
    for (Ctl menu : {Ctl::mnuCopy, Ctl::mnuPrint, Ctl::mnuAllsel, Ctl::mnuCut, Ctl::mnuSave2, Ctl::mnuDxf})
        form_.setEnabled(menu, false);
    form_.setValue(field::ModeAll, true);
    InputMode = kAll;
    enablePartInput(form_, false);
}

void CalcModel::startUpSpinControls()
{
    // Each spin control writes its value into its box, which runs the box's rule.
    for (const SpinBox& s : kSpinBoxes) {
        form_.setSpin(s.upDown, s.min, s.max, s.start);
        form_.setText(s.box, dblText(s.start));
    }
}

// --- what the user does -------------------------------------------------------

void CalcModel::userTyped(Ctl box, const QString& text)
{
    if (!form_[box].enabled)
        return;
    form_.setText(box, text);
}

void CalcModel::userClickedOption(Ctl option)
{
    if (!form_[option].enabled)
        return;
    form_.setValue(option, true);
}

void CalcModel::userClickedList(Ctl list, int index)
{
    if (index < 0 || index >= form_[list].items.size())
        return;
    form_.setListIndex(list, index);
}

void CalcModel::userSpin(Ctl upDown, int step)
{
    for (const SpinBox& s : kSpinBoxes) {
        if (s.upDown != upDown)
            continue;
        if (!form_[upDown].enabled)
            return;
        // The spin control takes its position from the box's number, as a
        // control bound to its box's integer does; else its own value.
        int current = form_[upDown].spinValue;
        const QString& text = form_.text(s.box);
        if (isStrictNumber(text)) {
            try {
                const double v = cdbl(text);
                if (v >= s.min && v <= s.max)
                    current = static_cast<int>(v);
            } catch (const VbError&) {
            }
        }
        const int next = std::clamp(current + step, s.min, s.max);
        if (next == current && text == dblText(current))
            return;
        form_.setSpin(upDown, s.min, s.max, next);
        form_.setText(s.box, dblText(next));
        return;
    }
}

void CalcModel::boxGotFocus(Ctl box)
{
    try {
        form_.setSelection(box, 0, 0);
        form_.setSelection(box, 0, static_cast<int>(form_.text(box).size()));
    } catch (const VbError& e) {
        logError(mainLabel(controlName(box) + QStringLiteral("_GotFocus")), e);
    }
}

std::optional<Ctl> CalcModel::enterTarget(Ctl box) const
{
    switch (box) {
    case field::PlateThickness: return field::ProcessingLength;
    case field::ProcessingLength: return field::ShearFactor;
    case field::ShearFactor: return field::StrippingPercent;
    case field::StrippingPercent: return field::InitialCompression;
    case field::InitialCompression: return field::Stroke;
    case field::Stroke: return field::SpringCount;
    case field::SpringCount: return InputMode == kAll ? field::Bite : field::StartBeforeBottom;
    default: return std::nullopt;
    }
}

// --- number fields ---------------------------------------------------------------

bool CalcModel::fTextBoxNumberCheck(Ctl box)
{
    bool removed = false;
    guarded(u"fTextBoxNumberCheck", [&] {
        const qsizetype length = form_.text(box).size();
        for (qsizetype i = 0; i < length; ++i) {
            const QString& current = form_.text(box);
            if (i >= current.size())
                throw VbError(kErrInvalidCall);
            const char16_t c = current.at(i).unicode();
            const bool rejected = (c == u'-' && i != 0) || (c >= 32 && c <= 44) || c == u'/' || c > u'9';
            if (!rejected)
                continue;
            // The write runs this box's rule again, nested: it removes the
            // next rejected character before this run goes on.
            form_.setText(box, current.left(i) + current.mid(i + 1));
            removed = true;
            ui_.beep();
            form_.setSelection(box, static_cast<int>(form_.text(box).size()), 0);
            screen_.setFocus(box);
            return;
        }
    });
    return removed;
}

float CalcModel::Rud(float x, int n)
{
    try {
        return rud(x, n);
    } catch (const VbError& e) {
        logError(mainLabel(QStringLiteral("Rud")), e);
        return 0.0f;
    }
}

void CalcModel::DataClear()
{
    guarded(u"DataClear", [&] {
        for (Ctl c : {field::SpringNo, field::OuterDiameter, field::InnerDiameter, field::FreeLength, field::MinLength,
                      field::RateN, field::RateKgf, field::AllowedDeflection100, field::AllowedDeflection50,
                      field::AllowedDeflection30, field::SpringNoCopy})
            form_.setText(c, QString());
        for (Ctl c : {field::InitialSpringLoadKgf, field::StartSpringLoadKgf, field::FinalSpringLoadKgf,
                      field::InitialLoadKgf, field::StartLoadKgf, field::FinalLoadKgf, field::InitialLoadN,
                      field::StartLoadN, field::FinalLoadN, field::CompressedLength})
            form_.setText(c, kDash);
    });
}

void CalcModel::Textbox1Clar()
{
    guarded(u"Textbox1Clar", [&] {
        emptyBox(form_, field::ReportText);
        com2_syori();
        com3_syori();
    });
}

void CalcModel::inpTextboxClar()
{
    guarded(u"inpTextboxClar", [&] {
        emptyBox(form_, field::PlateThickness);
        emptyBox(form_, field::ProcessingLength);
        resetToStart<field::ShearFactor>(form_);
        resetToStart<field::StrippingPercent>(form_);
        emptyBox(form_, field::InitialCompression);
        emptyBox(form_, field::Stroke);
        resetToStart<field::SpringCount>(form_);
        if (InputMode == kAll)
            resetToStart<field::Bite>(form_);
        if (InputMode == kPart)
            emptyBox(form_, field::StartBeforeBottom);
    });
}

void CalcModel::loadPicture(Ctl c, const QString& file)
{
    if (!QFileInfo::exists(ProgramFolder() + QLatin1Char('/') + file))
        throw VbError(kErrFileNotFound);
    form_.setPicture(c, file);
}

}  // namespace tolvane
