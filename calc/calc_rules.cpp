// The change rules of the input boxes and result labels, the pressure and the
// spring loads, the deflection table, the compressed length, and the
// pressure-only mode with its two switches.
#include "calc/calcmodel.h"

#include "calc/calc_detail.h"

namespace tolvane {

using namespace calcdetail;

namespace {

const QString kKgf = QStringLiteral(" kgf");

}  // namespace

// A rounded result: written, read back as a single, rounded to two decimals
// and written again with at most seven digits.
QString CalcModel::rounded(const QString& text) { return sngText(Rud(csng(text), -2)); }

void CalcModel::textChange(Ctl box)
{
    try {
        fTextBoxNumberCheck(box);
        switch (box) {
        case Ctl::Text2:
        case Ctl::Text4:
            pressureRule();
            aturyoku_keisan();
            Tawami_Hyoji();
            break;
        case Ctl::Text5:
            pressureRule();
            Tawami_Hyoji();
            break;
        case Ctl::Text6:
            strippingRule();
            break;
        case Ctl::Text8:
            strippingRule();
            Tawami_Hyoji();
            break;
        case Ctl::Text9:
        case Ctl::Text3:
            assyuku_Hyoji();
            if (DeflectionCheckFlag == kOff) {
                if (!form_.text(Ctl::Label26).isEmpty()) {
                    aturyoku_keisan();
                    check1();
                } else {
                    form_.setText(Ctl::Label51, dblText(valText(form_.text(Ctl::Text9)) + valText(form_.text(Ctl::Text3))));
                }
            }
            Tawami_Hyoji();
            if (InputMode == kPart)
                SpOnly();
            break;
        case Ctl::Text10:
            form_.setText(Ctl::Label45, form_.text(Ctl::Text10));
            aturyoku_keisan();
            Tawami_Hyoji();
            if (InputMode == kPart)
                SpOnly();
            break;
        case Ctl::Text11:
            aturyoku_keisan();
            Tawami_Hyoji();
            break;
        case Ctl::Text12:
            SpOnly();
            break;
        default:
            break;
        }
    } catch (const VbError& e) {
        logError(mainLabel(controlName(box) + QStringLiteral("_Change")), e);
    }
}

// A force goes into its box twice, unrounded and then rounded, and each write
// runs the box's rule: the pressure's rule, stripping, sees both.
void CalcModel::showForce(Ctl box, Ctl label, double value)
{
    form_.setText(box, dblText(value));
    form_.setText(box, rounded(form_.text(box)));
    const QString& force = form_.text(box);
    form_.setText(label, cdbl(force) == 0 ? kDash : force + kKgf);
}

void CalcModel::pressureRule()
{
    showForce(Ctl::Text6, Ctl::Label43,
              valText(form_.text(Ctl::Text2)) * valText(form_.text(Ctl::Text4)) * valText(form_.text(Ctl::Text5)));
}

void CalcModel::strippingRule()
{
    showForce(Ctl::Text7, Ctl::Label44, valText(form_.text(Ctl::Text6)) * valText(form_.text(Ctl::Text8)) * 0.01);
}

void CalcModel::aturyoku_keisan()
{
    guarded(u"aturyoku_keisan", [&] {
        aturyoku_keisan2();
        if (form_[Ctl::Label51].foreColor != kBlack)
            form_.setForeColor(Ctl::Label51, kBlack);
        form_.setText(Ctl::Label51, forces.FinalDeflection);
    });
}

void CalcModel::aturyoku_keisan2()
{
    guarded(u"aturyoku_keisan2", [&] {
        auto val = [&](Ctl c) { return valText(form_.text(c)); };
        SpringForceValues& f = forces;

        f.InitialLoadN = dblText(val(Ctl::Label26) * val(Ctl::Text9) * val(Ctl::Text10));
        f.InitialSpringLoadN = dblText(val(Ctl::Label26) * val(Ctl::Text9));
        f.InitialLoadKgf = dblText(val(Ctl::Label27) * val(Ctl::Text9) * val(Ctl::Text10));
        f.InitialSpringLoadKgf = dblText(val(Ctl::Label27) * val(Ctl::Text9));

        f.StartDeflection = dblText((val(Ctl::Text9) + val(Ctl::Text3)) - (val(Ctl::Text2) + val(Ctl::Text11)));
        const double d = cdbl(f.StartDeflection);
        f.StartLoadN = dblText(val(Ctl::Label26) * d * val(Ctl::Text10));
        f.StartSpringLoadN = dblText(val(Ctl::Label26) * d);
        f.StartLoadKgf = dblText(val(Ctl::Label27) * d * val(Ctl::Text10));
        f.StartSpringLoadKgf = dblText(val(Ctl::Label27) * d);

        f.FinalDeflection = dblText(val(Ctl::Text9) + val(Ctl::Text3));
        const double fin = cdbl(f.FinalDeflection);
        f.FinalLoadN = dblText(val(Ctl::Label26) * fin * val(Ctl::Text10));
        f.FinalSpringLoadN = dblText(val(Ctl::Label26) * fin);
        f.FinalLoadKgf = dblText(val(Ctl::Label27) * fin * val(Ctl::Text10));
        f.FinalSpringLoadKgf = dblText(val(Ctl::Label27) * fin);

        for (QString* load : {&f.InitialLoadN, &f.InitialSpringLoadN, &f.InitialLoadKgf, &f.InitialSpringLoadKgf,
                              &f.StartLoadN, &f.StartSpringLoadN, &f.StartLoadKgf, &f.StartSpringLoadKgf,
                              &f.FinalLoadN, &f.FinalSpringLoadN, &f.FinalLoadKgf, &f.FinalSpringLoadKgf})
            *load = rounded(*load);

        // The per-spring loads in N keep their "0".
        for (QString* load : {&f.InitialSpringLoadKgf, &f.StartSpringLoadKgf, &f.FinalSpringLoadKgf,
                              &f.InitialLoadKgf, &f.StartLoadKgf, &f.FinalLoadKgf,
                              &f.InitialLoadN, &f.StartLoadN, &f.FinalLoadN}) {
            if (cdbl(*load) == 0)
                *load = kDash;
        }

        // The start of processing is shown only with a pressure and a bite
        // whose texts are not exactly "0".
        auto start = [&](const QString& value) {
            return form_.text(Ctl::Text6) != kZero && form_.text(Ctl::Text11) != kZero ? value : kDash;
        };
        form_.setText(Ctl::Label66, f.InitialSpringLoadKgf);
        form_.setText(Ctl::Label68, f.FinalSpringLoadKgf);
        form_.setText(Ctl::Label67, start(f.StartSpringLoadKgf));
        form_.setText(Ctl::Label46, f.InitialLoadKgf);
        form_.setText(Ctl::Label47, f.FinalLoadKgf);
        form_.setText(Ctl::Label49, start(f.StartLoadKgf));
        form_.setText(Ctl::Label59, f.InitialLoadN);
        form_.setText(Ctl::Label61, f.FinalLoadN);
        form_.setText(Ctl::Label60, start(f.StartLoadN));
    });
}

void CalcModel::Tawami_Hyoji()
{
    guarded(u"Tawami_Hyoji", [&] {
        const QString& initial = form_.text(Ctl::Text9);
        form_.setText(Ctl::Label77, initial.isEmpty() || initial == kZero ? kDash : initial);

        const QString& plate = form_.text(Ctl::Text2);
        const QString& bite = form_.text(Ctl::Text11);
        if (plate.isEmpty() || plate == kZero || bite.isEmpty() || bite == kZero) {
            form_.setText(Ctl::Label78, kDash);
            return;
        }
        auto val = [&](Ctl c) { return valText(form_.text(c)); };
        const QString v = rounded(
            dblText((val(Ctl::Text9) + val(Ctl::Text3)) - (val(Ctl::Text2) + val(Ctl::Text11))));
        form_.setForeColor(Ctl::Label78, cdbl(v) <= 0 ? kRed : kLightCyan);
        form_.setText(Ctl::Label78, v);
    });
}

void CalcModel::assyuku_Hyoji()
{
    guarded(u"assyuku_Hyoji", [&] {
        if (form_.text(Ctl::Label24).isEmpty())
            return;
        form_.setText(Ctl::Label83, dblText(valText(form_.text(Ctl::Label24))
                                            - (valText(form_.text(Ctl::Text3)) + valText(form_.text(Ctl::Text9)))));
    });
}

void CalcModel::label51Change()
{
    guarded(u"Label51_Change", [&] {
        const QString& caption = form_.text(Ctl::Label51);
        if (caption == QStringLiteral("NG")) {
            form_.setText(Ctl::Label79, caption);
        } else if (cdbl(caption) == 0) {
            form_.setText(Ctl::Label77, kDash);
            form_.setText(Ctl::Label78, kDash);
            form_.setText(Ctl::Label79, kDash);
        } else {
            form_.setText(Ctl::Label79, caption);
        }
    });
}

void CalcModel::startLoadRule(Ctl label)
{
    try {
        if (valText(form_.text(label)) < 0)
            form_.setText(label, kDash);
    } catch (const VbError& e) {
        logError(mainLabel(controlName(label) + QStringLiteral("_Change")), e);
    }
}

// The pressure-only calculation. The spring count is read leniently like
// every other load input, so an empty or unfinished count gives "---" totals
// instead of stopping half-way; and whatever stops it, no start load of an
// earlier calculation is left standing beside new values.
void CalcModel::SpOnly()
{
    PressureOnlyValues& p = pressureOnly;
    try {
        if (form_.text(Ctl::Text12).isEmpty()) {
            for (Ctl c : {Ctl::Label67, Ctl::Label49, Ctl::Label60, Ctl::Label78})
                form_.setText(c, kDash);
            return;
        }
        auto val = [&](Ctl c) { return valText(form_.text(c)); };
        p.PartStartDeflection = dblText(val(Ctl::Text9) + val(Ctl::Text3) - val(Ctl::Text12));

        auto showDeflection = [&] {
            form_.setForeColor(Ctl::Label78, cdbl(p.PartStartDeflection) <= 0 ? kRed : kLightCyan);
            form_.setText(Ctl::Label78, p.PartStartDeflection);
        };
        if (form_.text(Ctl::Label21).isEmpty()) {
            p.PartStartDeflection = rounded(p.PartStartDeflection);
            showDeflection();
            return;
        }

        const double count = val(Ctl::Text10);
        p.PartSpringLoadKgf = dblText(cdbl(form_.text(Ctl::Label27)) * cdbl(p.PartStartDeflection));
        p.PartSpringLoadN = dblText(cdbl(form_.text(Ctl::Label26)) * cdbl(p.PartStartDeflection));
        p.PartLoadKgf = dblText(count * cdbl(p.PartSpringLoadKgf));
        p.PartLoadN = dblText(count * cdbl(p.PartSpringLoadN));

        p.PartStartDeflection = rounded(p.PartStartDeflection);
        p.PartSpringLoadKgf = rounded(p.PartSpringLoadKgf);
        p.PartSpringLoadN = rounded(p.PartSpringLoadN);

        for (QString* v : {&p.PartSpringLoadKgf, &p.PartLoadKgf, &p.PartLoadN}) {
            if (cdbl(*v) <= 0)
                *v = kDash;
        }
        form_.setText(Ctl::Label67, p.PartSpringLoadKgf);
        form_.setText(Ctl::Label49, p.PartLoadKgf);
        form_.setText(Ctl::Label60, p.PartLoadN);
        showDeflection();
    } catch (const VbError& e) {
        logError(mainLabel(QStringLiteral("SpOnly")), e);
        for (Ctl c : {Ctl::Label67, Ctl::Label49, Ctl::Label60})
            form_.setText(c, kDash);
    }
}

namespace {

// Which controls belong to the die data, in the order the switches set them:
// the control, whether it is enabled in mode "all", and whether its colour
// follows the mode (boxes) or only its enabled state (labels, spin controls).
struct ModeControl {
    Ctl c;
    bool enable;  // false: the computed boxes, whose enabled state never changes
    bool colour;
};
constexpr ModeControl kDieControls[] = {
    {Ctl::Label1, true, false},   {Ctl::Text2, true, true},    {Ctl::Label12, true, false},
    {Ctl::Label13, true, false},  {Ctl::Text4, true, true},    {Ctl::Label14, true, false},
    {Ctl::Label15, true, false},  {Ctl::Text5, true, true},    {Ctl::UpDown1, true, false},
    {Ctl::Label16, true, false},  {Ctl::Text6, false, true},   {Ctl::Label17, true, false},
    {Ctl::Text7, false, true},    {Ctl::Label18, true, false}, {Ctl::Label19, true, false},
    {Ctl::Text8, true, true},     {Ctl::UpDown2, true, false}, {Ctl::Label52, true, false},
    {Ctl::Text11, true, true},    {Ctl::UpDown4, true, false},
};

// The die data open in mode "all", the distance before bottom dead centre in
// mode "part".
void enableInputs(Form& form, bool all)
{
    for (const ModeControl& m : kDieControls) {
        if (m.enable)
            form.setEnabled(m.c, all);
        if (m.colour)
            form.setBackColor(m.c, all ? kSysWindow : kSysActiveBorder);
    }
    enablePartInput(form, !all);
}

}  // namespace

void CalcModel::Option2_Click()
{
    guarded(u"Option2_Click", [&] {
        if (InputMode != kAll)
            return;
        InputMode = kPart;
        emptyBox(form_, Ctl::Text1);
        emptyBox(form_, Ctl::Text2);
        emptyBox(form_, Ctl::Text4);
        resetBox(form_, Ctl::Text5, 35);
        resetBox(form_, Ctl::Text6, 0);
        resetBox(form_, Ctl::Text7, 0);
        resetBox(form_, Ctl::Text8, 5);
        emptyBox(form_, Ctl::Text9);
        emptyBox(form_, Ctl::Text3);
        resetBox(form_, Ctl::Text10, 1);
        resetBox(form_, Ctl::Text11, 0);
        enableInputs(form_, false);
    });
}

void CalcModel::Option1_Click()
{
    guarded(u"Option1_Click", [&] {
        if (InputMode != kPart)
            return;
        InputMode = kAll;
        for (Ctl box : {Ctl::Text1, Ctl::Text9, Ctl::Text3})
            emptyBox(form_, box);
        resetBox(form_, Ctl::Text10, 1);
        emptyBox(form_, Ctl::Text12);
        enableInputs(form_, true);
    });
}

}  // namespace tolvane
