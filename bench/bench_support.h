#pragma once
// What the benchmarks share: a user who answers nothing and the built
// program folder with its shipped catalogue and pictures.

#include "calc/calcmodel.h"
#include "services/ui.h"

#include <QFile>
#include <QString>

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

}  // namespace tolvane::bench
