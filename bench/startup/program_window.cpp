// The program as the start-up benchmark starts it: its real path
// (app/program.h) in a process that links what the program links, with the
// built program folder, the documents folder TOLVANE_BENCH_DOCUMENTS names,
// and a message server that refuses at once, so the network plays no part.
// Given "nowait", the splash skips its paced second.
#include "app/program.h"
#include "bench/bench_support.h"
#include "bench/startup/paintprobe.h"
#include "services/folders.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    const char* documents = std::getenv("TOLVANE_BENCH_DOCUMENTS");
    if (!documents)
        return 2;
    tolvane::bench::PaintProbe probe(QStringLiteral("frmMain"));
    tolvane::ProgramOptions options;
    options.splashWait = !(argc > 1 && std::strcmp(argv[1], "nowait") == 0);
    options.messageServer = QStringLiteral("http://127.0.0.1:9");
    options.prepare = [&] {
        tolvane::setProgramFolder(tolvane::bench::builtProgramFolder());
        tolvane::setDocumentsFolder(QFile::decodeName(documents));
        qApp->installEventFilter(&probe);
    };
    return tolvane::runProgram(argc, argv, options);
}
