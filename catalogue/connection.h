#pragma once
// The connections the catalogue layer keeps open, one a file: the sample the
// program ships or any other file's current SQLite copy, checked against the
// file (one stat) before each query and opened anew when it changed.

#include "catalogue/catalogue.h"

#include <QString>
#include <QStringView>

#include <initializer_list>

namespace tolvane::catalogue {

// Runs sql, as runCatalogueQuery does, on the file's kept connection.
CatalogueRecordset runOnKeptConnection(const QString& path, const QString& sql, std::initializer_list<QStringView> keep,
                                       std::initializer_list<double> values);

}  // namespace tolvane::catalogue
