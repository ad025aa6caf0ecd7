#pragma once
// The maker's Access (Jet) files in the tests: the real fixtures, the built
// reader, and a sandbox whose cache and log the catalogue layer uses.

#include "support/catalogue_reader.h"
#include "support/sandbox.h"

#include "catalogue/catalogue.h"
#include "catalogue/copies.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tolvane::test {

inline const QString kFixtures = QStringLiteral(TOLVANE_JET_FIXTURES);
inline const QString kConnect = QStringLiteral(";DATABASE=ZEKA.mdb;pwd=Rm4tQx82pLw");

inline QString fixture(const QString& name) { return kFixtures + QLatin1Char('/') + name + QStringLiteral(".mdb"); }

class JetCatalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        ExistLogFolder();
        useCatalogueReader(kReader);
    }
    void TearDown() override
    {
        setCatalogueReader({});
        setCatalogueCaps({});
        runtime_.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", runtime_);
    }

    // The user's runtime folder ($XDG_RUNTIME_DIR), for this test.
    static void setRuntimeFolder(const QString& folder) { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder)); }

    // The copies the layer keeps in the cache folder.
    QStringList copies() const { return QDir(CacheFolder() + QStringLiteral("/catalogue")).entryList(QDir::Files); }
    QString copyOf(const QString& name, const QByteArray& bytes)
    {
        const QString path = sandbox.root() + QLatin1Char('/') + name;
        QFile::remove(path);
        writeAll(path, bytes);
        return path;
    }

    // The event line of the reader's, as the log's messages show it.
    bool logged(const QString& line) const
    {
        return sandbox.logMessages().contains(QStringLiteral("□Eve：tolvane-catalogue: ") + line);
    }
    // A reader of the test's own, a shell script that anyone may run.
    QString readerScript(const QByteArray& body) const
    {
        const QString path = sandbox.root() + QStringLiteral("/reader");
        QFile::remove(path);
        writeAll(path, "#!/bin/sh\n" + body);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        return path;
    }
    // Moves the file's modification time on: another state of the same file.
    static void touch(const QString& file)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(f.fileTime(QFileDevice::FileModificationTime).addSecs(1), QFileDevice::FileModificationTime));
    }

    Sandbox sandbox;

private:
    const QByteArray runtime_ = qgetenv("XDG_RUNTIME_DIR");
};

}  // namespace tolvane::test
