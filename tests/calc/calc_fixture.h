#pragma once
// A calculation model on a private program folder, with a scripted user and
// screen that record what the model asked of them.

#include "support/scripted_ui.h"
#include "calc/calcmodel.h"
#include "support/printers.h"
#include "support/catalogue_files.h"
#include "support/sandbox.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace tolvane::test {

using FakeUi = ScriptedUi;

class FakeScreen final : public CalcScreen {
public:
    void setFocus(Ctl box) override { focus.append(box); }
    void paceSlide(Ctl) override { ++slideSteps; }
    QList<Ctl> focus;
    int slideSteps = 0;
};

using Texts = std::initializer_list<std::pair<Ctl, const char*>>;

class CalcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ExistSettingFolder();
        ExistLogFolder();
        QDir(sandbox.root()).mkpath("program/materials");
        // Every picture the model may set, so picture loads succeed unless a
        // test removes one.
        QStringList names = {"copy_off", "copy_disable", "select_all_off", "select_all_disable", "output_dxf_off",
                             "output_dxf_disable", "round_sp_on", "round_sp_off", "square_sp1_on", "square_sp1_off",
                             "square_sp2_on", "square_sp2_off"};
        for (const QString& s : kSeriesCodes)
            names << s + "_on" << s + "_off";
        for (const QString& n : names)
            writeAll(materials(n + ".gif"), "GIF89a");
        model = std::make_unique<CalcModel>(ui, screen);
        model->startUp();
    }

    QString materials(const QString& file) const { return sandbox.root() + "/program/materials/" + file; }

    Form& form() { return model->form(); }
    const QString& text(Ctl c) { return model->form().text(c); }
    void type(Ctl box, const QString& t) { model->userTyped(box, t); }
    void click(Ctl option) { model->userClickedOption(option); }

    void expectTexts(Texts want)
    {
        for (const auto& [c, t] : want)
            EXPECT_EQ(text(c), QString::fromUtf8(t)) << controlName(c).toStdString();
    }

    void expectEnabled(std::initializer_list<Ctl> controls, bool enabled)
    {
        for (Ctl c : controls)
            EXPECT_EQ(form()[c].enabled, enabled) << controlName(c).toStdString();
    }

    // A chosen size, as the catalogue lookup leaves its labels (these labels
    // run no rule of their own).
    void spring(const QString& rateN, const QString& rateKgf, const QString& freeLength = "100",
                const QString& f100 = "80", const QString& f50 = "90", const QString& f30 = "95")
    {
        const QString values[] = {"SWB20-100", "SWB20-100", "20", "10", freeLength, "75", rateN, rateKgf,
                                  f100, f50, f30};
        const Ctl labels[] = {field::SpringNo, field::SpringNoCopy, field::OuterDiameter, field::InnerDiameter,
                              field::FreeLength, field::MinLength, field::RateN, field::RateKgf,
                              field::AllowedDeflection100, field::AllowedDeflection50, field::AllowedDeflection30};
        for (int i = 0; i < 11; ++i)
            form().setText(labels[i], values[i]);
    }

    // The loads example: rate 20 N/mm, 2 kgf/mm, "100万回" (allowed 80), plate 2,
    // length 100, bite 1, four springs, initial compression 3, stroke 10.
    void loadsExample(const QString& bite = "1")
    {
        spring("20", "2");
        click(field::UseCount100);
        type(field::PlateThickness, "2");
        type(field::ProcessingLength, "100");
        type(field::Bite, bite);
        type(field::SpringCount, "4");
        type(field::InitialCompression, "3");
        type(field::Stroke, "10");
    }

    QStringList errors() const
    {
        QStringList out;
        for (const QString& m : sandbox.logMessages()) {
            if (m.startsWith(QStringLiteral("■Err")))
                out << m;
        }
        return out;
    }

    Sandbox sandbox;
    FakeUi ui;
    FakeScreen screen;
    std::unique_ptr<CalcModel> model;
};

}  // namespace tolvane::test
