#pragma once
// The series codes and small SQLite catalogues that tests make themselves.

#include <QFile>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace tolvane::test {

// Every series, in the order of the window's buttons.
inline const QStringList kSeriesCodes = {"SWB", "SWC", "SWF", "SWG", "SWH", "SWL", "SWM", "SWR", "SWS", "SWU", "SWV",
                                         "SWX", "SWY", "SWZ", "WB",  "WF",  "WH",  "WL",  "WM",  "WR",  "WT",  "WY"};

// Runs sql on the SQLite file at path, made when missing.
inline void makeDatabase(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message), SQLITE_OK)
        << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
}

}  // namespace tolvane::test
