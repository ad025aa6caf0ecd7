// The change rules of the input boxes and result labels, the pressure and the
// spring loads, the deflection table, the compressed length, and the
// pressure-only mode with its two switches.
#include "calc/calcmodel.h"

#include "calc/calc_detail.h"
#include "calc/spdata.h"

#include <QScopeGuard>

#include <cmath>
#include <utility>

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
        if (box != computedBox_)
            fTextBoxNumberCheck(box);
        switch (box) {
        case field::PlateThickness:
        case field::ProcessingLength:
            pressureRule();
            aturyoku_keisan();
            Tawami_Hyoji();
            break;
        case field::ShearFactor:
            pressureRule();
            Tawami_Hyoji();
            break;
        case field::ProcessingPressure:
            strippingRule();
            break;
        case field::StrippingPercent:
            strippingRule();
            Tawami_Hyoji();
            break;
        case field::InitialCompression:
        case field::Stroke:
            assyuku_Hyoji();
            if (DeflectionCheckFlag == kOff) {
                if (!form_.text(field::RateN).isEmpty()) {
                    aturyoku_keisan();
                    check1();
                } else {
                    form_.setText(field::TotalDeflectionDisplay,
                                  dblText(valText(form_.text(field::InitialCompression))
                                          + valText(form_.text(field::Stroke))));
                }
            }
            Tawami_Hyoji();
            if (InputMode == kPart)
                SpOnly();
            break;
        case field::SpringCount:
            form_.setText(field::SpringCountDisplay, form_.text(field::SpringCount));
            aturyoku_keisan();
            Tawami_Hyoji();
            if (InputMode == kPart)
                SpOnly();
            break;
        case field::Bite:
            aturyoku_keisan();
            Tawami_Hyoji();
            break;
        case field::StartBeforeBottom:
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
// runs the box's rule: the pressure's rule, stripping, sees both. The box
// shows the force as computed, an exponent (5.6E+21) included.
void CalcModel::showForce(Ctl box, Ctl label, double value)
{
    const std::optional<Ctl> outer = std::exchange(computedBox_, box);
    const auto restore = qScopeGuard([&] { computedBox_ = outer; });
    form_.setText(box, dblText(value));
    form_.setText(box, rounded(form_.text(box)));
    const QString& force = form_.text(box);
    form_.setText(label, cdbl(force) == 0 ? kDash : force + kKgf);
}

double CalcModel::pressureValue() const
{
    return valText(form_.text(field::PlateThickness)) * valText(form_.text(field::ProcessingLength))
           * valText(form_.text(field::ShearFactor));
}

double CalcModel::strippingValue() const
{
    return valText(form_.text(field::ProcessingPressure)) * valText(form_.text(field::StrippingPercent)) * 0.01;
}

void CalcModel::pressureRule() { showForce(field::ProcessingPressure, field::PressureDisplay, pressureValue()); }

void CalcModel::strippingRule() { showForce(field::StrippingForce, field::StrippingForceDisplay, strippingValue()); }

void CalcModel::aturyoku_keisan()
{
    guarded(u"aturyoku_keisan", [&] {
        aturyoku_keisan2();
        if (form_[field::TotalDeflectionDisplay].foreColor != kBlack)
            form_.setForeColor(field::TotalDeflectionDisplay, kBlack);
        form_.setText(field::TotalDeflectionDisplay, forces.FinalDeflection);
    });
}

namespace {

// The compression at the start of processing as the loads and the deflection
// table work it out, written; `val` gives a box's number as the rules read it.
template <class Val>
QString startDeflectionText(Val val)
{
    return dblText((val(field::InitialCompression) + val(field::Stroke))
                   - (val(field::PlateThickness) + val(field::Bite)));
}

// The deflection table works the start of processing out only with a plate
// and a bite whose texts are neither empty nor "0".
bool tableShowsStart(const Form& form)
{
    const QString& plate = form.text(field::PlateThickness);
    const QString& bite = form.text(field::Bite);
    return !(plate.isEmpty() || plate == kZero || bite.isEmpty() || bite == kZero);
}

// The compressed length the rules show, unrounded.
template <class Val>
QString compressedLengthText(Val val)
{
    return dblText(val(field::FreeLength) - (val(field::Stroke) + val(field::InitialCompression)));
}

// The loads at the three positions, each written, rounded with `round` and
// "---" where exactly 0, in the order of the rules; `val` gives a box's
// number as the rules read it. `at` follows the position being worked out,
// so a failure tells where it stopped.
template <class Val, class Round>
void springLoads(Val val, SpringForceValues& f, Round round, CalcModel::Uncomputable& at)
{
    using U = CalcModel::Uncomputable;

    at = U::InitialLoads;
    f.InitialLoadN = dblText(val(field::RateN) * val(field::InitialCompression) * val(field::SpringCount));
    f.InitialSpringLoadN = dblText(val(field::RateN) * val(field::InitialCompression));
    f.InitialLoadKgf = dblText(val(field::RateKgf) * val(field::InitialCompression) * val(field::SpringCount));
    f.InitialSpringLoadKgf = dblText(val(field::RateKgf) * val(field::InitialCompression));

    at = U::StartLoads;
    f.StartDeflection = startDeflectionText(val);
    const double d = cdbl(f.StartDeflection);
    f.StartLoadN = dblText(val(field::RateN) * d * val(field::SpringCount));
    f.StartSpringLoadN = dblText(val(field::RateN) * d);
    f.StartLoadKgf = dblText(val(field::RateKgf) * d * val(field::SpringCount));
    f.StartSpringLoadKgf = dblText(val(field::RateKgf) * d);

    at = U::FinalLoads;
    f.FinalDeflection = dblText(val(field::InitialCompression) + val(field::Stroke));
    const double fin = cdbl(f.FinalDeflection);
    f.FinalLoadN = dblText(val(field::RateN) * fin * val(field::SpringCount));
    f.FinalSpringLoadN = dblText(val(field::RateN) * fin);
    f.FinalLoadKgf = dblText(val(field::RateKgf) * fin * val(field::SpringCount));
    f.FinalSpringLoadKgf = dblText(val(field::RateKgf) * fin);

    // Four loads to a position, in the order above.
    QString* const loads[] = {&f.InitialLoadN, &f.InitialSpringLoadN, &f.InitialLoadKgf, &f.InitialSpringLoadKgf,
                              &f.StartLoadN,   &f.StartSpringLoadN,   &f.StartLoadKgf,   &f.StartSpringLoadKgf,
                              &f.FinalLoadN,   &f.FinalSpringLoadN,   &f.FinalLoadKgf,   &f.FinalSpringLoadKgf};
    constexpr U positions[] = {U::InitialLoads, U::StartLoads, U::FinalLoads};
    for (std::size_t i = 0; i < std::size(loads); ++i) {
        at = positions[i / 4];
        *loads[i] = round(*loads[i]);
    }

    // The per-spring loads in N keep their "0".
    for (QString* load : {&f.InitialSpringLoadKgf, &f.StartSpringLoadKgf, &f.FinalSpringLoadKgf, &f.InitialLoadKgf,
                          &f.StartLoadKgf, &f.FinalLoadKgf, &f.InitialLoadN, &f.StartLoadN, &f.FinalLoadN}) {
        if (cdbl(*load) == 0)
            *load = kDash;
    }
}

// The pressure-only values at the start of processing, from the distance
// before bottom dead centre; with no spring chosen the deflection alone. The
// rates are read strictly, the boxes by `val`; each value is written as it
// is worked out, so a failure leaves the ones before it.
template <class Val, class Round>
void pressureOnlyValues(const Form& form, Val val, PressureOnlyValues& p, Round round)
{
    p.PartStartDeflection =
        dblText(val(field::InitialCompression) + val(field::Stroke) - val(field::StartBeforeBottom));
    if (form.text(field::SpringNo).isEmpty()) {
        p.PartStartDeflection = round(p.PartStartDeflection);
        return;
    }

    const double count = val(field::SpringCount);
    p.PartSpringLoadKgf = dblText(cdbl(form.text(field::RateKgf)) * cdbl(p.PartStartDeflection));
    p.PartSpringLoadN = dblText(cdbl(form.text(field::RateN)) * cdbl(p.PartStartDeflection));
    p.PartLoadKgf = dblText(count * cdbl(p.PartSpringLoadKgf));
    p.PartLoadN = dblText(count * cdbl(p.PartSpringLoadN));

    p.PartStartDeflection = round(p.PartStartDeflection);
    p.PartSpringLoadKgf = round(p.PartSpringLoadKgf);
    p.PartSpringLoadN = round(p.PartSpringLoadN);

    for (QString* v : {&p.PartSpringLoadKgf, &p.PartLoadKgf, &p.PartLoadN}) {
        if (cdbl(*v) <= 0)
            *v = kDash;
    }
}

// A box's number as the rules read it.
auto boxValue(const Form& form)
{
    return [&form](Ctl c) { return valText(form.text(c)); };
}

// The rules' rounding without its error line: for working out whether a
// value can be computed at all.
QString roundedQuietly(const QString& text) { return sngText(rud(csng(text), -2)); }

// True when `work` fails as a value beyond the range of a number does.
template <class F>
bool overflows(F&& work)
{
    try {
        work();
    } catch (const VbError& e) {
        return e.number() == kErrOverflow;
    }
    return false;
}

// Far inside a double: a sum or a difference of three numbers of at most
// this size, and its fifteen-digit text read back, stay within it.
constexpr double kFarInsideDouble = 1e300;

}  // namespace

std::optional<CalcModel::Uncomputable> CalcModel::uncomputable(CheckedFor output, double initial,
                                                                double largest) const
{
    const bool all = InputMode == kAll;
    const bool spring = !form_.text(field::SpringNo).isEmpty();
    // A start load of one spring in N (mode "part") is a quotient of a
    // label by the count, as large as a small count makes it; two short
    // plain numbers give one far inside a double.
    auto perSpringOverflows = [&] {
        return !all
               && !(shortPlainNumber(form_.text(field::StartLoadN)) && shortPlainNumber(form_.text(field::SpringCount)))
               && overflows([&] { partStartSpringLoadN(); });
    };

    // Besides the boxes checked: the rates, the free length, and the
    // pressure (mode "all") or the bite that mode "part" leaves as it is;
    // one beyond a double is worked out below.
    bool small = largest <= kSafelyComputable;
    for (Ctl c : {field::RateN, field::RateKgf, field::FreeLength, all ? field::ProcessingPressure : field::Bite}) {
        if (!small)
            break;
        small = readsWithin(form_.text(c), kSafelyComputable);
    }
    if (small)
        return perSpringOverflows() ? std::optional(Uncomputable::StartLoads) : std::nullopt;

    const auto box = boxValue(form_);
    // The boxes as the rules will read them: the initial compression is
    // `initial`; where the judgement empties the stroke or puts 0 into the
    // bite, that number.
    auto reading = [&box](double c, std::optional<double> s = {}, std::optional<double> b = {}) {
        return [&box, c, s, b](Ctl x) {
            if (x == field::InitialCompression)
                return c;
            if (x == field::Stroke && s)
                return *s;
            if (x == field::Bite && b)
                return *b;
            return box(x);
        };
    };
    const auto val = reading(initial);
    if (all) {
        if (overflows([&] { roundedQuietly(dblText(pressureValue())); }))
            return Uncomputable::Pressure;
        if (overflows([&] { roundedQuietly(dblText(strippingValue())); }))
            return Uncomputable::StrippingForce;
    }

    // The report's "0" in an empty or negative initial compression runs that
    // box's rule again, and its "0" in an empty bite (mode "all") the bite's,
    // nested, before the first line: whatever they work out must be
    // computable too, printed or not.
    const bool report = output == CheckedFor::Report;
    const QString& typedInitial = form_.text(field::InitialCompression);
    const bool initialRerun = report && (typedInitial.isEmpty() || box(field::InitialCompression) < 0);
    const bool rated = !form_.text(field::RateN).isEmpty();
    auto loadsFail = [&](auto v) -> std::optional<Uncomputable> {
        SpringForceValues loads;
        Uncomputable at{};
        if (!overflows([&] { springLoads(v, loads, roundedQuietly, at); }))
            return std::nullopt;
        // Without rates every load is 0: only the compressions can fail.
        // Mode "part" has no plate or bite: its start position there is the
        // final one.
        if (!rated)
            return Uncomputable::StartCompression;
        return all || at != Uncomputable::StartLoads ? at : Uncomputable::FinalLoads;
    };
    // The pressure-only values, without a spring the compression alone.
    const bool distance = !form_.text(field::StartBeforeBottom).isEmpty();
    const Uncomputable startValue = spring ? Uncomputable::StartLoads : Uncomputable::StartCompression;
    auto pressureOnlyFails = [&](auto v) {
        PressureOnlyValues part;
        return !all && distance && overflows([&] { pressureOnlyValues(form_, v, part, roundedQuietly); });
    };
    auto tableFails = [&](auto v) {
        return tableShowsStart(form_) && overflows([&] { roundedQuietly(startDeflectionText(v)); });
    };
    // The lengths are worked out from the free length and the two
    // compressions: far inside a double, none of them can leave it.
    const QString& freeLength = form_.text(field::FreeLength);
    const bool lengthsBounded = largest <= kFarInsideDouble && readsWithin(freeLength, kFarInsideDouble);

    // The loads, printed with a spring, worked out again by the initial
    // compression's rule where there are rates and by the bite's in any case.
    if (spring || (initialRerun && rated) || (report && all && form_.text(field::Bite).isEmpty())) {
        if (const std::optional<Uncomputable> u = loadsFail(val))
            return u;
    }
    // The compressed length, printed with a spring.
    if (!freeLength.isEmpty() && !lengthsBounded && overflows([&] { compressedLengthText(val); }))
        return Uncomputable::CompressedLength;
    // The pressure-only start values, printed where there is a start and
    // worked out again by the initial compression's rule wherever a distance
    // is given.
    if (!all && (initialRerun || (spring && val(field::StartBeforeBottom) > 0)) && pressureOnlyFails(val))
        return startValue;
    if (initialRerun) {
        if (tableFails(val))
            return Uncomputable::StartCompression;
        // A warning of the judgement empties both compressions, whose rules
        // run on 0, and puts 0 into the bite of mode "all", whose rule works
        // the loads out again.
        bool warns = false;
        try {
            warns = rated && exceedsAllowance(dblText(val(field::InitialCompression) + val(field::Stroke)));
        } catch (const VbError&) {
        }
        if (warns) {
            const auto emptied = reading(0, 0.0);
            if (tableFails(emptied))
                return Uncomputable::StartCompression;
            if (pressureOnlyFails(emptied))
                return startValue;
            // Mode "part" has its bite at 0 already.
            if (const std::optional<Uncomputable> u = loadsFail(reading(0, 0.0, 0.0)))
                return u;
        }
    }
    if (overflows([&] { finalAndStartCompressions(initial); }))
        return Uncomputable::StartCompression;
    // The data file's lengths, read strictly.
    if (output == CheckedFor::Drawing && spring && !lengthsBounded) {
        QString setLength, compressedLength;
        if (overflows([&] { recordLengths(form_, setLength, compressedLength); }))
            return setLength.isEmpty() ? Uncomputable::SetLength : Uncomputable::CompressedLength;
    }
    if (perSpringOverflows())
        return Uncomputable::StartLoads;
    return std::nullopt;
}

void CalcModel::aturyoku_keisan2()
{
    guarded(u"aturyoku_keisan2", [&] {
        SpringForceValues& f = forces;
        Uncomputable at{};
        springLoads(boxValue(form_), f, [&](const QString& text) { return rounded(text); }, at);

        // The start of processing is shown only with a pressure and a bite
        // whose texts are not exactly "0".
        auto start = [&](const QString& value) {
            return form_.text(field::ProcessingPressure) != kZero && form_.text(field::Bite) != kZero ? value
                                                                                                      : kDash;
        };
        form_.setText(field::InitialSpringLoadKgf, f.InitialSpringLoadKgf);
        form_.setText(field::FinalSpringLoadKgf, f.FinalSpringLoadKgf);
        form_.setText(field::StartSpringLoadKgf, start(f.StartSpringLoadKgf));
        form_.setText(field::InitialLoadKgf, f.InitialLoadKgf);
        form_.setText(field::FinalLoadKgf, f.FinalLoadKgf);
        form_.setText(field::StartLoadKgf, start(f.StartLoadKgf));
        form_.setText(field::InitialLoadN, f.InitialLoadN);
        form_.setText(field::FinalLoadN, f.FinalLoadN);
        form_.setText(field::StartLoadN, start(f.StartLoadN));
    });
}

void CalcModel::Tawami_Hyoji()
{
    guarded(u"Tawami_Hyoji", [&] {
        const QString& initial = form_.text(field::InitialCompression);
        form_.setText(field::InitialDeflectionDisplay, initial.isEmpty() || initial == kZero ? kDash : initial);

        if (!tableShowsStart(form_)) {
            form_.setText(field::StartDeflectionDisplay, kDash);
            return;
        }
        const QString v = rounded(startDeflectionText(boxValue(form_)));
        form_.setForeColor(field::StartDeflectionDisplay, cdbl(v) <= 0 ? kRed : kLightCyan);
        form_.setText(field::StartDeflectionDisplay, v);
    });
}

void CalcModel::assyuku_Hyoji()
{
    guarded(u"assyuku_Hyoji", [&] {
        if (form_.text(field::FreeLength).isEmpty())
            return;
        form_.setText(field::CompressedLength, compressedLengthText(boxValue(form_)));
    });
}

void CalcModel::label51Change()
{
    guarded(u"Label51_Change", [&] {
        const QString& caption = form_.text(field::TotalDeflectionDisplay);
        if (caption == QStringLiteral("NG")) {
            form_.setText(field::FinalDeflectionDisplay, caption);
        } else if (cdbl(caption) == 0) {
            form_.setText(field::InitialDeflectionDisplay, kDash);
            form_.setText(field::StartDeflectionDisplay, kDash);
            form_.setText(field::FinalDeflectionDisplay, kDash);
        } else {
            form_.setText(field::FinalDeflectionDisplay, caption);
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
        if (form_.text(field::StartBeforeBottom).isEmpty()) {
            for (Ctl c :
                 {field::StartSpringLoadKgf, field::StartLoadKgf, field::StartLoadN, field::StartDeflectionDisplay})
                form_.setText(c, kDash);
            return;
        }
        pressureOnlyValues(form_, boxValue(form_), p, [&](const QString& text) { return rounded(text); });
        if (!form_.text(field::SpringNo).isEmpty()) {
            form_.setText(field::StartSpringLoadKgf, p.PartSpringLoadKgf);
            form_.setText(field::StartLoadKgf, p.PartLoadKgf);
            form_.setText(field::StartLoadN, p.PartLoadN);
        }
        form_.setForeColor(field::StartDeflectionDisplay, cdbl(p.PartStartDeflection) <= 0 ? kRed : kLightCyan);
        form_.setText(field::StartDeflectionDisplay, p.PartStartDeflection);
    } catch (const VbError& e) {
        logError(mainLabel(QStringLiteral("SpOnly")), e);
        for (Ctl c : {field::StartSpringLoadKgf, field::StartLoadKgf, field::StartLoadN})
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
    {Ctl::Label1, true, false},           {field::PlateThickness, true, true},      {Ctl::Label12, true, false},
    {Ctl::Label13, true, false},          {field::ProcessingLength, true, true},    {Ctl::Label14, true, false},
    {Ctl::Label15, true, false},          {field::ShearFactor, true, true},         {Ctl::UpDown1, true, false},
    {Ctl::Label16, true, false},          {field::ProcessingPressure, false, true}, {Ctl::Label17, true, false},
    {field::StrippingForce, false, true}, {Ctl::Label18, true, false},              {Ctl::Label19, true, false},
    {field::StrippingPercent, true, true}, {Ctl::UpDown2, true, false},             {Ctl::Label52, true, false},
    {field::Bite, true, true},            {Ctl::UpDown4, true, false},
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
        emptyBox(form_, field::ReportText);
        emptyBox(form_, field::PlateThickness);
        emptyBox(form_, field::ProcessingLength);
        resetToStart<field::ShearFactor>(form_);
        resetBox(form_, field::ProcessingPressure, 0);
        resetBox(form_, field::StrippingForce, 0);
        resetToStart<field::StrippingPercent>(form_);
        emptyBox(form_, field::InitialCompression);
        emptyBox(form_, field::Stroke);
        resetToStart<field::SpringCount>(form_);
        resetToStart<field::Bite>(form_);
        enableInputs(form_, false);
    });
}

void CalcModel::Option1_Click()
{
    guarded(u"Option1_Click", [&] {
        if (InputMode != kPart)
            return;
        InputMode = kAll;
        for (Ctl box : {field::ReportText, field::InitialCompression, field::Stroke})
            emptyBox(form_, box);
        resetToStart<field::SpringCount>(form_);
        emptyBox(form_, field::StartBeforeBottom);
        enableInputs(form_, true);
    });
}

}  // namespace tolvane
