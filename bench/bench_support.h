#pragma once
// What the benchmarks share: a user who answers nothing and the built
// program folder with its shipped catalogue and pictures.

#include "calc/calcmodel.h"
#include "services/folders.h"
#include "services/ui.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace tolvane::bench {

class QuietUi final : public UserInterface {
public:
    int msgBox(const QString&, int, const QString&) override { return kIdOk; }
    void beep() override {}
    std::optional<QString> askSaveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QStringList> askOpenFiles(const FileDialogRequest&) override { return std::nullopt; }
    bool openUrl(const QString&) override { return true; }
    void setWaitCursor(bool) override {}
};

class QuietScreen final : public CalcScreen {
public:
    void setFocus(Ctl) override {}
};

// The program folder the build lays out: build/app beside build/bench, or
// the folder TOLVANE_APP_DIR names.
inline QString builtProgramFolder()
{
    if (const char* dir = std::getenv("TOLVANE_APP_DIR"))
        return QFile::decodeName(dir);
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    return QFile::decodeName((exe.parent_path().parent_path() / "app").c_str());
}

// A model started up on a program folder of its own, which it keeps for as
// long as it lives.
class StartedModel {
public:
    StartedModel() { model.startUp(); }

private:
    struct Folders {
        Folders()
        {
            setProgramFolder(dir.path());
            setDocumentsFolder(dir.path());
        }
        ~Folders()
        {
            setProgramFolder({});
            setDocumentsFolder({});
        }
        QTemporaryDir dir;
    } folders_;
    QuietUi ui_;
    QuietScreen screen_;

public:
    CalcModel model{ui_, screen_};
};

// A size chosen as the catalogue lookup leaves its labels.
inline void chooseSpring(Form& f)
{
    f.setText(field::SpringNo, QStringLiteral("SWB20-100"));
    f.setText(field::FreeLength, QStringLiteral("100"));
    f.setText(field::RateN, QStringLiteral("174"));
    f.setText(field::RateKgf, QStringLiteral("17.7"));
    f.setText(field::AllowedDeflection100, QStringLiteral("16"));
    f.setText(field::AllowedDeflection50, QStringLiteral("18"));
    f.setText(field::AllowedDeflection30, QStringLiteral("20"));
}

// A spring chosen and the die's data typed, the stroke aside.
inline void typeDieData(CalcModel& model)
{
    chooseSpring(model.form());
    model.userClickedOption(field::UseCount100);
    model.userTyped(field::PlateThickness, QStringLiteral("2"));
    model.userTyped(field::ProcessingLength, QStringLiteral("100"));
    model.userTyped(field::Bite, QStringLiteral("1"));
    model.userTyped(field::SpringCount, QStringLiteral("4"));
    model.userTyped(field::InitialCompression, QStringLiteral("3"));
}

// The same in mode "part", with the distance before bottom dead centre.
inline void typePressureOnlyData(CalcModel& model)
{
    model.userClickedOption(field::ModePart);
    chooseSpring(model.form());
    model.userClickedOption(field::UseCount100);
    model.userTyped(field::SpringCount, QStringLiteral("4"));
    model.userTyped(field::StartBeforeBottom, QStringLiteral("3"));
    model.userTyped(field::InitialCompression, QStringLiteral("3"));
}

}  // namespace tolvane::bench
