// The yardstick of the start-up benchmark: a process that links Qt Widgets
// and nothing else and shows a plain window of the size it is given
// (TOLVANE_BENCH_SIZE), or, given "text", the same window with one line of
// text in the program's font (IPAPGothic, 9 points): the font set-up any
// window with text pays.
#include "bench/startup/paintprobe.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    const bool text = argc > 1 && std::strcmp(argv[1], "text") == 0;
    int width = 0;
    int height = 0;
    const char* size = std::getenv("TOLVANE_BENCH_SIZE");
    if (!size || std::sscanf(size, "%dx%d", &width, &height) != 2)
        return 2;
    QApplication app(argc, argv);
    tolvane::bench::PaintProbe probe(QStringLiteral("plain"));
    app.installEventFilter(&probe);
    QWidget window;
    window.setObjectName(QStringLiteral("plain"));
    if (text)
        (new QLabel(QStringLiteral("ダイスプリング 圧力計算ソフト"), &window))->setFont(QFont(QStringLiteral("IPAPGothic"), 9));
    window.resize(width, height);
    window.show();
    return QApplication::exec();
}
