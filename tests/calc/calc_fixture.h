#pragma once
// A calculation model on a private program folder, with a scripted user and
// screen that record what the model asked of them.

#include "calc/calcmodel.h"
#include "support/sandbox.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>

namespace tolvane::test {

struct MsgBoxCall {
    QString prompt;
    int style;
    QString title;
};

class FakeUi final : public UserInterface {
public:
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        boxes.append({prompt, style, title});
        return kIdOk;
    }
    void beep() override { ++beeps; }
    std::optional<QString> askSaveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QStringList> askOpenFiles(const FileDialogRequest&) override { return std::nullopt; }
    bool openUrl(const QString&) override { return false; }

    QList<MsgBoxCall> boxes;
    int beeps = 0;
};

class FakeScreen final : public CalcScreen {
public:
    void setFocus(Ctl box) override { focus.append(box); }
    void paceSlide(Ctl) override { ++slideSteps; }
    QList<Ctl> focus;
    int slideSteps = 0;
};

// Every picture the model may set, so picture loads succeed unless a test
// removes one.
inline QStringList allPictureFiles()
{
    QStringList names = {"copy_off", "copy_disable", "select_all_off", "select_all_disable", "output_dxf_off",
                         "output_dxf_disable", "round_sp_on", "round_sp_off", "square_sp1_on", "square_sp1_off",
                         "square_sp2_on", "square_sp2_off"};
    for (const char* s : {"SWB", "SWC", "SWF", "SWG", "SWH", "SWL", "SWM", "SWR", "SWS", "SWU", "SWV", "SWX", "SWY",
                          "SWZ", "WB", "WF", "WH", "WL", "WM", "WR", "WT", "WY"}) {
        names << QString::fromLatin1(s) + "_on" << QString::fromLatin1(s) + "_off";
    }
    QStringList files;
    for (const QString& n : names)
        files << n + ".gif";
    return files;
}

class CalcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ExistSettingFolder();
        ExistLogFolder();
        QDir(sandbox.root()).mkpath("program/materials");
        for (const QString& f : allPictureFiles())
            writeAll(materials(f), "GIF89a");
        model = std::make_unique<CalcModel>(ui, screen);
        model->startUp();
    }

    QString materials(const QString& file) const { return sandbox.root() + "/program/materials/" + file; }

    Form& form() { return model->form(); }
    const QString& text(Ctl c) { return model->form().text(c); }
    void type(Ctl box, const QString& t) { model->userTyped(box, t); }
    void click(Ctl option) { model->userClickedOption(option); }

    // A chosen size, as the catalogue lookup leaves its labels (these labels
    // run no rule of their own).
    void spring(const QString& rateN, const QString& rateKgf, const QString& freeLength = "100",
                const QString& f100 = "80", const QString& f50 = "90", const QString& f30 = "95",
                const QString& no = "SWB20-100")
    {
        form().setText(Ctl::Label21, no);
        form().setText(Ctl::Label57, no);
        form().setText(Ctl::Label22, "20");
        form().setText(Ctl::Label23, "10");
        form().setText(Ctl::Label24, freeLength);
        form().setText(Ctl::Label25, "75");
        form().setText(Ctl::Label26, rateN);
        form().setText(Ctl::Label27, rateKgf);
        form().setText(Ctl::Label28, f100);
        form().setText(Ctl::Label29, f50);
        form().setText(Ctl::Label30, f30);
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
