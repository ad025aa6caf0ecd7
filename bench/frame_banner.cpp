// The banner's downloads against a message server on this machine that takes
// the connection and never answers: the access notice and the message file
// share one deadline, so the start waits it once. The wait is reported in
// wall time; with the deadline of 500 ms here it must stay near 500 ms,
// never near twice that.
#include "bench/bench_support.h"
#include "bench/window_benchmarks.h"
#include "frame/banner.h"
#include "services/folders.h"

#include <QTcpServer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tolvane;
using namespace tolvane::bench;

namespace {

void BM_SilentServerWaitsTheDeadlineOnce(benchmark::State& state)
{
    QTemporaryDir documents;
    setDocumentsFolder(documents.path());
    ExistSettingFolder();
    ExistLogFolder();
    // Listening but never accepting: the system completes the connection,
    // the request goes out, no answer comes.
    QTcpServer silent;
    if (!silent.listen(QHostAddress::LocalHost))
        std::abort();
    QuietUi ui;
    MessageBanner banner(ui);
    banner.setMessageServer(QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort()));
    banner.setDownloadDeadlineMs(int(state.range(0)));
    for (auto _ : state) {
        if (banner.DlUrlFile())
            std::abort();
    }
    setDocumentsFolder({});
}
BENCHMARK(BM_SilentServerWaitsTheDeadlineOnce)->Arg(500)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return runWindowBenchmarks(argc, argv); }
