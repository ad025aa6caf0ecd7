// The total output of a large selection: reading and checking 1000 spring
// data files, adding up their loads, writing and saving the drawing. It has
// to feel instant.
#include "services/cp932.h"
#include "services/folders.h"
#include "services/ui.h"
#include "total/totalallvalues.h"
#include "total/totaloutput.h"
#include "total/vornreader.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tolvane;

namespace {

class ScriptedUi final : public UserInterface {
public:
    QStringList files;
    QString savePath;
    int msgBox(const QString&, int, const QString&) override { return kIdOk; }
    void beep() override {}
    std::optional<QString> askSaveFile(const FileDialogRequest&) override { return savePath; }
    std::optional<QStringList> askOpenFiles(const FileDialogRequest&) override { return files; }
    bool openUrl(const QString&) override { return true; }
    void setWaitCursor(bool) override {}
};

struct Workspace {
    QTemporaryDir dir;
    QStringList files;
    Workspace(int count)
    {
        setDocumentsFolder(dir.path());
        ExistLogFolder();
        for (int i = 0; i < count; ++i) {
            const QString path = dir.path() + QStringLiteral("/spring%1.vorn").arg(i, 4, 10, QLatin1Char('0'));
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly))
                std::abort();
            f.write(encodeCp932(QStringLiteral("CreatedByVORN,All,50,5,20,45,25,%1.25,40.5,%2.75,12\r\n\r\n"
                                               "※このファイルは合計圧力線図の作成に使います。\r\n")
                                    .arg(i % 97)
                                    .arg(i % 89 + 100)));
            files.append(path);
        }
    }
    ~Workspace() { setDocumentsFolder({}); }
};

}  // namespace

// The whole output as the button runs it, the log lines and the save included.
static void BM_TotalOutput1000Files(benchmark::State& state)
{
    Workspace ws(static_cast<int>(state.range(0)));
    ScriptedUi ui;
    ui.files = ws.files;
    ui.savePath = ws.dir.path() + QStringLiteral("/total.dxf");
    TotalOutput dialog(ui);
    dialog.Form_Load();
    dialog.imgSelectFiles_Click();
    dialog.setDiagramName(QStringLiteral("合計圧力線図"));
    for (auto _ : state) {
        dialog.imgOutputDXF_Click();
        if (!dialog.closeRequested())
            state.SkipWithError("the drawing was not saved");
    }
}
BENCHMARK(BM_TotalOutput1000Files)->Arg(1000)->Unit(benchmark::kMillisecond);

// The drawing alone: the rows with their ten values, CR LF, no file.
static void BM_RenderAllValuesDrawing(benchmark::State& state)
{
    const QStringList values{QStringLiteral("50"), QStringLiteral("5"),  QStringLiteral("20"),
                             QStringLiteral("45"), QStringLiteral("25"), QStringLiteral("20"),
                             QStringLiteral("0.3"), QStringLiteral("123.45"), QStringLiteral("12")};
    for (auto _ : state)
        benchmark::DoNotOptimize(CreateDxfDataA(values, QStringLiteral("合計圧力線図")));
}
BENCHMARK(BM_RenderAllValuesDrawing)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
