// Every test program has an application object, as the program itself has:
// the widgets need one, and so do the file and path services.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>
#if __has_include(<QApplication>) && defined(TOLVANE_TEST_GUI)
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    // No test reaches the user's own cache or settings (Qt's file dialogs
    // keep their columns there), even outside a sandbox.
    const QTemporaryDir cache;
    const QTemporaryDir config;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
