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
    Ctl::Label43, Ctl::Label44, Ctl::Label45, Ctl::Label46, Ctl::Label47, Ctl::Label49,
    Ctl::Label51, Ctl::Label59, Ctl::Label60, Ctl::Label61, Ctl::Label66, Ctl::Label67,
    Ctl::Label68, Ctl::Label77, Ctl::Label78, Ctl::Label79, Ctl::Label83,
};

constexpr Ctl kRuledBoxes[] = {
    Ctl::Text2, Ctl::Text3, Ctl::Text4, Ctl::Text5, Ctl::Text6,
    Ctl::Text8, Ctl::Text9, Ctl::Text10, Ctl::Text11, Ctl::Text12,
};

struct Spin {
    Ctl upDown;
    Ctl box;
    int min, max, value;
};
constexpr Spin kSpins[] = {
    {Ctl::UpDown1, Ctl::Text5, 1, 100, 35},
    {Ctl::UpDown2, Ctl::Text8, 1, 99, 5},
    {Ctl::UpDown3, Ctl::Text10, 1, 99, 1},
    {Ctl::UpDown4, Ctl::Text11, 0, 300, 0},
};

}  // namespace

CalcModel::CalcModel(UserInterface& ui, CalcScreen& screen) : ui_(ui), screen_(screen)
{
    // The window as designed, before any rule runs.
    for (Ctl c : kResultLabels)
        form_.setText(c, kDash);
    form_.setHeight(Ctl::Picture3, 2460);
    form_.setHeight(Ctl::Picture4, 2460);
    form_.setBackColor(Ctl::Picture3, kLightGrey);
    form_.setBackColor(Ctl::Picture4, kLightGrey);
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
    form_.setOptionGroup({Ctl::Option1, Ctl::Option2});
    form_.setOptionGroup({Ctl::Option13, Ctl::Option14, Ctl::Option15});
    installRules();
}

void CalcModel::installRules()
{
    for (Ctl box : kRuledBoxes)
        form_.onChange(box, [this, box] { textChange(box); });
    form_.onChange(Ctl::Text1, [this] { Text1_Change(); });
    form_.onChange(Ctl::Label51, [this] { label51Change(); });
    form_.onChange(Ctl::Label67, [this] { startLoadRule(Ctl::Label67); });
    form_.onChange(Ctl::Label49, [this] { startLoadRule(Ctl::Label49); });
    form_.onChange(Ctl::Label60, [this] { startLoadRule(Ctl::Label60); });
    form_.onClick(Ctl::Option1, [this] { Option1_Click(); });
    form_.onClick(Ctl::Option2, [this] { Option2_Click(); });
    form_.onClick(Ctl::Option13, [this] { Option13_Click(); });
    form_.onClick(Ctl::Option14, [this] { Option14_Click(); });
    form_.onClick(Ctl::Option15, [this] { Option15_Click(); });
    form_.onClick(Ctl::List1, [this] { List1_Click(); });
    form_.onClick(Ctl::List2, [this] { List2_Click(); });
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
    form_.setValue(Ctl::Option1, true);
    InputMode = kAll;
    enablePartInput(form_, false);
}

void CalcModel::startUpSpinControls()
{
    // Each spin control writes its value into its box, which runs the box's rule.
    for (const Spin& s : kSpins) {
        form_.setSpin(s.upDown, s.min, s.max, s.value);
        form_.setText(s.box, dblText(s.value));
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
    for (const Spin& s : kSpins) {
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
    case Ctl::Text2: return Ctl::Text4;
    case Ctl::Text4: return Ctl::Text5;
    case Ctl::Text5: return Ctl::Text8;
    case Ctl::Text8: return Ctl::Text9;
    case Ctl::Text9: return Ctl::Text3;
    case Ctl::Text3: return Ctl::Text10;
    case Ctl::Text10: return InputMode == kAll ? Ctl::Text11 : Ctl::Text12;
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
        for (Ctl c : {Ctl::Label21, Ctl::Label22, Ctl::Label23, Ctl::Label24, Ctl::Label25, Ctl::Label26,
                      Ctl::Label27, Ctl::Label28, Ctl::Label29, Ctl::Label30, Ctl::Label57})
            form_.setText(c, QString());
        for (Ctl c : {Ctl::Label66, Ctl::Label67, Ctl::Label68, Ctl::Label46, Ctl::Label49, Ctl::Label47,
                      Ctl::Label59, Ctl::Label60, Ctl::Label61, Ctl::Label83})
            form_.setText(c, kDash);
    });
}

void CalcModel::Textbox1Clar()
{
    guarded(u"Textbox1Clar", [&] {
        emptyBox(form_, Ctl::Text1);
        com2_syori();
        com3_syori();
    });
}

void CalcModel::inpTextboxClar()
{
    guarded(u"inpTextboxClar", [&] {
        emptyBox(form_, Ctl::Text2);
        emptyBox(form_, Ctl::Text4);
        resetBox(form_, Ctl::Text5, 35);
        resetBox(form_, Ctl::Text8, 5);
        emptyBox(form_, Ctl::Text9);
        emptyBox(form_, Ctl::Text3);
        resetBox(form_, Ctl::Text10, 1);
        if (InputMode == kAll)
            resetBox(form_, Ctl::Text11, 0);
        if (InputMode == kPart)
            emptyBox(form_, Ctl::Text12);
    });
}

void CalcModel::loadPicture(Ctl c, const QString& file)
{
    if (!QFileInfo::exists(ProgramFolder() + QLatin1Char('/') + file))
        throw VbError(kErrFileNotFound);
    form_.setPicture(c, file);
}

}  // namespace tolvane
