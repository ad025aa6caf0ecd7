// The use count, the allowed-deflection judgement, the deflection bars and the
// title panel's slide.
#include "calc/calcmodel.h"

#include "calc/calc_detail.h"

#include <cmath>
#include <limits>

namespace tolvane {

using namespace calcdetail;

namespace {

struct UseCount {
    Ctl option;
    Ctl caption;     // the option's caption label
    Ctl deflection;  // its allowed-deflection label
    ColorRef highlight;
    const char16_t* text;
    const char16_t* clickName;
    const char16_t* syoriName;
};
constexpr UseCount kUseCounts[] = {
    {field::UseCount100, Ctl::Label34, field::AllowedDeflection100, kCyan, u"100万回", u"Option13_Click",
     u"Option13_syori"},
    {field::UseCount50, Ctl::Label35, field::AllowedDeflection50, kYellow, u"50万回", u"Option14_Click",
     u"Option14_syori"},
    {field::UseCount30, Ctl::Label36, field::AllowedDeflection30, kOrange, u"30万回", u"Option15_Click",
     u"Option15_syori"},
};

// The use count chosen: the last option set, none when none is.
const UseCount* chosenUseCount(const Form& form)
{
    const UseCount* chosen = nullptr;
    for (const UseCount& u : kUseCounts) {
        if (form[u.option].value)
            chosen = &u;
    }
    return chosen;
}

// The two bars in their colours, each under a cover of the given colour
// shrunk to nothing.
void paintBars(Form& form, ColorRef maxCover, ColorRef useCountCover)
{
    form.setBackColor(field::MaxDeflectionBar, kRed);
    form.setBackColor(field::UseCountBar, kBlue);
    form.setBackColor(field::MaxDeflectionCover, maxCover);
    form.setBackColor(field::UseCountCover, useCountCover);
    form.setHeight(field::MaxDeflectionCover, 0);
    form.setHeight(field::UseCountCover, 0);
}

// Moves the label one twip at a time, step +1 or -1, from `from` through
// `to`; nothing when it already stands past `to`. The screen paces each step.
void slide(Form& form, CalcScreen& screen, Ctl label, int from, int to, int step)
{
    for (int left = from; step > 0 ? left <= to : left >= to; left += step) {
        form.setLeft(label, left);
        screen.paceSlide(label);
    }
}

}  // namespace

void CalcModel::Option13_Click() { optionChoice(0); }
void CalcModel::Option14_Click() { optionChoice(1); }
void CalcModel::Option15_Click() { optionChoice(2); }

void CalcModel::optionChoice(int which)
{
    guarded(kUseCounts[which].clickName, [&] {
        Textbox1Clar();
        Text39Clar();
        applyUseCountChoice(which);
    });
}

void CalcModel::applyUseCountChoice(int which)
{
    guarded(kUseCounts[which].syoriName, [&] {
        for (int i = 0; i < 3; ++i)
            form_.setForeColor(kUseCounts[i].caption, i == which ? kUseCounts[i].highlight : kGrey);
        for (int i = 0; i < 3; ++i)
            form_.setForeColor(kUseCounts[i].deflection, i == which ? kGreen : kGrey);
        const QString& chosen = form_.text(kUseCounts[which].deflection);
        if (chosen.isEmpty())
            return;
        const double freeLength = valText(form_.text(field::FreeLength));
        const QString& fmm30 = form_.text(field::AllowedDeflection30);
        const double largest = which < 2 && fmm30 == kDash ? valText(chosen) : valText(fmm30);
        MaxDeflectionRatio = dblText(divide(largest, freeLength));
        UseCountDeflectionRatio = dblText(divide(valText(chosen), freeLength));
        Grapusyori();
    });
}

void CalcModel::Text39Clar()
{
    guarded(u"Text39Clar", [&] {
        emptyBox(form_, field::Stroke);
        emptyBox(form_, field::InitialCompression);
    });
}

void CalcModel::OptionButton_Clear()
{
    guarded(u"OptionButton_Clear", [&] {
        for (const UseCount& u : kUseCounts) {
            if (form_[u.option].value)
                form_.setValue(u.option, false);
        }
    });
}

void CalcModel::OptionButton_Set()
{
    guarded(u"OptionButton_Set", [&] {
        for (const UseCount& u : kUseCounts) {
            if (form_[u.option].value) {
                form_.setValue(u.option, false);
                form_.setValue(u.option, true);
            }
        }
    });
}

void CalcModel::optionbutton_view()
{
    guarded(u"optionbutton_view", [&] {
        if (const UseCount* u = chosenUseCount(form_)) {
            AllowedDeflectionText = form_.text(u->deflection);
            UseCountText = QString::fromUtf16(u->text);
        }
    });
}

void CalcModel::op14_ON() { guarded(u"op14_ON", [&] { form_.setEnabled(field::UseCount50, true); }); }
void CalcModel::op14_OFF() { guarded(u"op14_OFF", [&] { form_.setEnabled(field::UseCount50, false); }); }
void CalcModel::op15_ON() { guarded(u"op15_ON", [&] { form_.setEnabled(field::UseCount30, true); }); }
void CalcModel::op15_OFF() { guarded(u"op15_OFF", [&] { form_.setEnabled(field::UseCount30, false); }); }

// The judgement. The flag keeps the rules of the two compression boxes from
// judging again while the check empties them; it goes back to "OFF" however
// the check ends, or every later load recalculation would be skipped.
void CalcModel::check1()
{
    struct FlagGuard {
        QString& flag;
        ~FlagGuard() { flag = kOff; }
    } restore{DeflectionCheckFlag};
    DeflectionCheckFlag = QStringLiteral("ON");
    guarded(u"check1", [&] {
        optionbutton_view();
        if (!exceedsAllowance(forces.FinalDeflection))
            return;
        const QChar cr = QLatin1Char('\r');
        const QString warning = QStringLiteral("スプリングのタワミ量が 使用範囲をこえています") + cr
            + UseCountText + QStringLiteral("で 使用できるタワミ量は") + AllowedDeflectionText + QStringLiteral("/mmです") + cr
            + cr
            + QStringLiteral("スプリングを変更するか 使用回数を変更してください   ") + cr
            + QStringLiteral(" ") + cr
            + QStringLiteral("[現在のタワミ量 ---> ") + forces.FinalDeflection + QStringLiteral("/mm]") + cr;
        ui_.msgBox(warning, kMbOk | kMbCritical, QStringLiteral("警告"));
        form_.setText(field::InitialCompression, QString());
        form_.setText(field::Stroke, QString());
        if (InputMode != kPart)
            form_.setText(field::Bite, kZero);
        else
            form_.setText(field::StartBeforeBottom, QString());
        screen_.setFocus(field::InitialCompression);
        form_.setForeColor(field::TotalDeflectionDisplay, kRed);
        form_.setText(field::TotalDeflectionDisplay, QStringLiteral("NG"));
        aturyoku_keisan2();
    });
}

bool CalcModel::exceedsAllowance(const QString& finalDeflection) const
{
    const UseCount* u = chosenUseCount(form_);
    return cdbl(finalDeflection) > valText(u ? form_.text(u->deflection) : AllowedDeflectionText);
}

// --- deflection bars ------------------------------------------------------------

void CalcModel::GrafuSet()
{
    guarded(u"GrafuSet", [&] { paintBars(form_, kRed, kBlue); });
}

void CalcModel::Grapusyori()
{
    guarded(u"Grapusyori", [&] {
        paintBars(form_, kLightGrey, kLightGrey);
        MaxBarHeight = dblText(cdbl(MaxDeflectionRatio) * double(float(form_[field::MaxDeflectionBar].height)));
        UseCountBarHeight = dblText(cdbl(UseCountDeflectionRatio) * double(float(form_[field::UseCountBar].height)));
        // The cover grows one twip at a time until it reaches the target:
        // the smallest whole height not below it.
        auto grow = [&](Ctl cover, const QString& target) {
            const float t = csng(target);
            if (!(t > float(form_[cover].height)))
                return;
            const double h = std::ceil(double(t));
            if (h > double(std::numeric_limits<int>::max()))
                throw VbError(kErrOverflow);
            form_.setHeight(cover, static_cast<int>(h));
        };
        grow(field::MaxDeflectionCover, MaxBarHeight);
        grow(field::UseCountCover, UseCountBarHeight);
    });
}

// --- the title panel --------------------------------------------------------------

void CalcModel::Picture_off()
{
    guarded(u"Picture_off", [&] {
        if (!form_[Ctl::Picture6].visible)
            return;
        slide(form_, screen_, Ctl::Label55, form_[Ctl::Label55].left, 3000, +1);
        slide(form_, screen_, Ctl::Label56, form_[Ctl::Label56].left, -1100, -1);
        form_.setVisible(Ctl::Picture6, false);
    });
}

void CalcModel::Picture_on()
{
    guarded(u"Picture_on", [&] {
        if (form_[Ctl::Picture6].visible)
            return;
        form_.setVisible(Ctl::Picture6, true);
        form_.setLeft(Ctl::Label55, -2500);
        form_.setLeft(Ctl::Label56, 3000);
        slide(form_, screen_, Ctl::Label55, -2500, 135, +1);
        slide(form_, screen_, Ctl::Label56, 3000, 1380, -1);
    });
}

}  // namespace tolvane
