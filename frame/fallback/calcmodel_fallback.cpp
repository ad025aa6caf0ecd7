// Stands in for the calculation model until its own sources are in the
// tree, so the window links and runs: it keeps the controls and the start-up
// defaults and computes nothing. The build leaves this file out as soon as
// calc/ defines the model.
#include "calc/calcmodel.h"

namespace tolvane {

CalcModel::CalcModel(UserInterface& ui, CalcScreen& screen) : ui_(ui), screen_(screen)
{
    form_.setOptionGroup({Ctl::Option1, Ctl::Option2});
    form_.setOptionGroup({Ctl::Option13, Ctl::Option14, Ctl::Option15});
}

void CalcModel::startUp()
{
    GrafuSet();
    for (Ctl c : {Ctl::mnuCopy, Ctl::mnuPrint, Ctl::mnuAllsel, Ctl::mnuCut, Ctl::mnuSave2, Ctl::mnuDxf})
        form_.setEnabled(c, false);
    form_.setValue(Ctl::Option1, true);
    InputMode = QStringLiteral("all");
    form_.setEnabled(Ctl::Label37, false);
    form_.setBackColor(Ctl::Text12, kSysActiveBorder);
    form_.setEnabled(Ctl::Text12, false);
    const struct { Ctl spin, box; int min, max, value; } spins[] = {
        {Ctl::UpDown1, Ctl::Text5, 1, 100, 35},
        {Ctl::UpDown2, Ctl::Text8, 1, 99, 5},
        {Ctl::UpDown3, Ctl::Text10, 1, 99, 1},
        {Ctl::UpDown4, Ctl::Text11, 0, 300, 0},
    };
    for (const auto& s : spins) {
        form_.setSpin(s.spin, s.min, s.max, s.value);
        form_.setText(s.box, QString::number(s.value));
    }
}

void CalcModel::userTyped(Ctl box, const QString& text) { form_.setText(box, text); }
void CalcModel::userClickedOption(Ctl option) { form_.setValue(option, true); }
void CalcModel::userClickedList(Ctl list, int index) { form_.setListIndex(list, index); }
void CalcModel::userSpin(Ctl, int) {}
void CalcModel::boxGotFocus(Ctl box) { form_.setSelection(box, 0, int(form_.text(box).size())); }
void CalcModel::imgDisplayTxt_Click() {}
void CalcModel::DataClear() {}
void CalcModel::Textbox1Clar() { form_.setText(Ctl::Text1, QString()); }
void CalcModel::inpTextboxClar() {}
void CalcModel::GrafuSet() {}
void CalcModel::ResetImage() {}
void CalcModel::Picture_on() {}
void CalcModel::Picture_off() {}
void CalcModel::Text1_Click(const QString&) {}
void CalcModel::com2_syori() {}
void CalcModel::com3_syori() {}
void CalcModel::kindClicked(const QString&) {}
void CalcModel::seriesClicked(const QString&) {}
void CalcModel::setDxfCommandsEnabled(bool) {}

}  // namespace tolvane
