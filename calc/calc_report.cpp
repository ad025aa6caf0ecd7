// The result report and the commands of the result box.
#include "calc/calcmodel.h"

#include "calc/calc_detail.h"

namespace tolvane {

using namespace calcdetail;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

}  // namespace

void CalcModel::imgDisplayTxt_Click()
{
    try {
        buildReport();
    } catch (const VbError& e) {
        logError(QStringLiteral("[frmMain]-[imgDisplayTxt_Clickイベント]："), e);
    }
}

// The report is built whole and then put into the box, so it is either
// complete or not there at all: an input that is not a number is read the
// way an empty one is (initial compression and bite "0", no start of
// processing), and a per-spring value over a zero count is "---".
void CalcModel::buildReport()
{
    auto text = [&](Ctl c) -> const QString& { return form_.text(c); };
    auto val = [&](Ctl c) { return valText(form_.text(c)); };

    Textbox1Clar();

    if (!isStrictNumber(text(Ctl::Text9)))
        form_.setText(Ctl::Text9, kZero);
    if (strictOr(text(Ctl::Text9), 0) < 0)
        form_.setText(Ctl::Text9, kZero);

    const bool all = InputMode == kAll;
    if (all && !isStrictNumber(text(Ctl::Text11)))
        form_.setText(Ctl::Text11, kZero);
    CompFinalText = dblText(val(Ctl::Text3) + val(Ctl::Text9));
    CompStartText = dblText(cdbl(CompFinalText) - (all ? val(Ctl::Text2) + val(Ctl::Text11) : val(Ctl::Text12)));

    QString out;
    int count = 0;
    auto line = [&](const QString& s) { out += s + kCrLf; };

    if (all) {
        const bool length = !text(Ctl::Text4).isEmpty();
        const bool plate = !text(Ctl::Text2).isEmpty();
        if (length)
            line(QStringLiteral("加工長 = ") + text(Ctl::Text4) + QStringLiteral("m/m"));
        if (plate)
            line(QStringLiteral("板厚 = t") + text(Ctl::Text2));
        if (length && plate) {
            line(QStringLiteral("加工圧 = ") + text(Ctl::Text6) + QStringLiteral("kgf"));
            line(QStringLiteral("必要ストリッピング力 (") + text(Ctl::Text8) + QStringLiteral("％) = ")
                 + text(Ctl::Text7) + QStringLiteral("kgf"));
        }
        if (length || plate)
            out += kCrLf;
        count = 5;
    }

    const QString& springNo = text(Ctl::Label21);
    if (springNo.isEmpty()) {
        if (!out.isEmpty())
            form_.setText(Ctl::Text1, out);
        ui_.msgBox(QStringLiteral("スプリングが選択されていません。"), kMbInformation, QStringLiteral("警告"));
    } else {
        line(springNo);
        line(QStringLiteral("L = ") + text(Ctl::Label24));
        line(QStringLiteral("kg/mm = ") + text(Ctl::Label27));
        line(QStringLiteral("N/mm = ") + text(Ctl::Label26));
        line(QStringLiteral("圧縮長 = ") + text(Ctl::Label83) + QStringLiteral("mm"));
        count = all ? count + 5 : 5;

        if (!text(Ctl::Text3).isEmpty()) {
            auto counted = [&](const QString& s) {
                line(s);
                ++count;
            };
            auto startCondition = [&] {
                if (all)
                    return strictOr(text(Ctl::Text11), 0) != 0 && strictOr(text(Ctl::Text6), 0) != 0;
                return strictOr(text(Ctl::Text12), 0) > 0;
            };
            const QString& initial = text(Ctl::Text9);
            const bool initialAbove0 = strictOr(initial, 0) > 0;
            const QString& n = text(Ctl::Text10);
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
            counted(initialAbove0 ? load(atInitial, text(Ctl::Label66), text(Ctl::Label46), u"kg")
                                  : QStringLiteral("初圧 = 0kg"));
            if (startCondition())
                counted(load(atStart, text(Ctl::Label67), text(Ctl::Label49), u"kg"));
            counted(load(atFinal, text(Ctl::Label68), text(Ctl::Label47), u"kg"));
            counted(QString());
            counted(QStringLiteral("------------- N -----------"));
            counted(initialAbove0 ? load(atInitial, forces.InitialSpringLoadN, text(Ctl::Label59), u"N")
                                  : QStringLiteral("初圧 = 0N"));
            if (startCondition()) {
                QString perSpring = forces.StartSpringLoadN;
                if (!all) {
                    const double springs = val(Ctl::Text10);
                    PartStartSpringLoadN = springs == 0 ? kDash : dblText(val(Ctl::Label60) / springs);
                    perSpring = PartStartSpringLoadN;
                }
                counted(load(atStart, perSpring, text(Ctl::Label60), u"N"));
            }
            counted(load(atFinal, forces.FinalSpringLoadN, text(Ctl::Label61), u"N"));
            counted(QString());
            optionbutton_view();
            out += QStringLiteral("ST = ") + text(Ctl::Text3) + QStringLiteral("  ( 使用回数 ") + UseCountText
                + QStringLiteral(" )");
            ++count;
        }
        form_.setText(Ctl::Text1, out);
    }

    // A short report leaves the drawing command as it was.
    const bool shown = !text(Ctl::Text1).isEmpty();
    setCommandButton(Ctl::imgSelectAll, u"select_all", shown);
    if (!shown || count > 11)
        setCommandButton(Ctl::imgOutputDXF, u"output_dxf", shown);
    for (Ctl menu : {Ctl::mnuAllsel, Ctl::mnuPrint, Ctl::mnuSave2, Ctl::mnuDxf})
        form_.setEnabled(menu, shown);
    form_.setSelection(Ctl::Text1, 0, 0);
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
        if (form_.text(Ctl::Text1).isEmpty()) {
            setCommandButton(Ctl::imgCopy, u"copy", false);
            for (Ctl menu : {Ctl::mnuCopy, Ctl::mnuCut, Ctl::mnuAllsel, Ctl::mnuPrint, Ctl::mnuSave2})
                form_.setEnabled(menu, false);
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
