#include "frame/qtdialogs.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHash>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QMimeDatabase>
#include <QPrintDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeView>
#include <QXmlStreamReader>

namespace tolvane {
namespace {

// Wide enough for the places beside the list and a list whose sizes, types
// and dates all read whole next to a name of fair length.
constexpr QSize kFileDialogSize(900, 520);

// What the desktop's shared mime database calls a type for Japanese
// readers (each type has a small file of its own); empty when it has no
// Japanese name for it.
QString japaneseTypeName(const QString& mimeName)
{
    const QString path =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("mime/") + mimeName + QStringLiteral(".xml"));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("comment")
            && xml.attributes().value(QStringLiteral("http://www.w3.org/XML/1998/namespace"), QStringLiteral("lang"))
                   == QLatin1String("ja"))
            return xml.readElementText();
    }
    return {};
}

// The file list's size, type and date columns as a Japanese reader writes
// them; the file model itself writes them in the desktop's language.
class JapaneseFileColumns final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() == 0)
            return QIdentityProxyModel::data(index, role);
        const QModelIndex source = mapToSource(index);
        switch (index.column()) {
        case 1: return files->isDir(source) ? QString() : locale_.formattedDataSize(files->size(source));
        case 2: return typeName(files->fileInfo(source));
        case 3: return locale_.toString(files->lastModified(source), QLocale::ShortFormat);
        default: return QIdentityProxyModel::data(index, role);
        }
    }

private:
    // Each file's type is found once: finding it may read the file's start.
    QString typeName(const QFileInfo& file) const
    {
        auto known = typeOfFile_.constFind(file.absoluteFilePath());
        if (known != typeOfFile_.cend())
            return *known;
        const QMimeType type = mimes_.mimeTypeForFile(file);
        QString name = japaneseTypeName(type.name());
        if (name.isEmpty())
            name = type.comment();
        return *typeOfFile_.insert(file.absoluteFilePath(), name);
    }

    QLocale locale_ = japaneseLocale();
    QMimeDatabase mimes_;
    mutable QHash<QString, QString> typeOfFile_;
};

// The name takes the room the other columns leave; they take what their
// widest entry or heading needs.
void fitColumns(QFileDialog& dialog)
{
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!list)
        return;
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}

}  // namespace

QLocale japaneseLocale() { return QLocale(QLocale::Japanese, QLocale::Japan); }

QStringList nameFilters(const QString& vbFilter)
{
    QStringList out;
    const QStringList parts = vbFilter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const int paren = description.indexOf(QLatin1Char('('));
        if (paren > 0)
            description = description.left(paren).trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == QStringLiteral("*.*"))
                p = QStringLiteral("*");
        }
        out.append(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return out;
}

void prepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setLocale(japaneseLocale());
    dialog.setProxyModel(new JapaneseFileColumns(&dialog));
    dialog.setViewMode(QFileDialog::Detail);
    fitColumns(dialog);
    dialog.resize(kFileDialogSize);

    dialog.setWindowTitle(request.title);
    const QStringList filters = nameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = qBound(1, request.filterIndex, int(filters.size())) - 1;
        dialog.selectNameFilter(filters[index]);
    }
    if (!request.defaultExt.isEmpty())
        dialog.setDefaultSuffix(request.defaultExt);
    QString dir = request.initialDir;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    dialog.setDirectory(dir);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
}

void preparePrintSetup(QPrintDialog& dialog)
{
    dialog.setLocale(japaneseLocale());
    dialog.setWindowTitle(QStringLiteral("印刷設定"));
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    }
}

}  // namespace tolvane
