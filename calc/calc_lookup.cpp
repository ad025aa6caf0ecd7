// The catalogue lookups: the size and diameter lists of a series, narrowing by
// diameter, and the choice of a size. No cache: every choice queries again.
#include "calc/calcmodel.h"

#include "calc/calc_detail.h"
#include "catalogue/catalogue.h"
#include "services/numtext.h"

#include <optional>

namespace tolvane {

using namespace calcdetail;

namespace {

const QString kSpringConnect = QString::fromUtf16(kSpringDbConnect);
const QString kDiameterConnect = QString::fromUtf16(kDiameterDbConnect);

// The entry that was clicked.
const QString& chosenEntry(const ControlState& list)
{
    if (list.listIndex < 0 || list.listIndex >= list.items.size())
        throw VbError(kErrInvalidCall);
    return list.items.at(list.listIndex);
}

// A value read from a catalogue file reaches a query only as a value, never
// as SQL: a diameter only as the number its text reads as, bound to the
// query, a size number between quotes with its own quotes doubled. A text
// that cannot be put there so is refused as the engine refuses a criterion
// of the wrong type.
VbError criterionMismatch() { return VbError(3464, QStringLiteral("抽出条件でデータ型が一致しません。")); }

// The diameter as the strict reading gives it (" 10", "+12" and "1D1" are
// numbers too); none for a text that is no number, or one beyond a double.
std::optional<double> diameterValue(const QString& text)
{
    try {
        return cdbl(text);
    } catch (const VbError&) {
        return std::nullopt;
    }
}

}  // namespace

// A series with no sizes is no error: both lists are emptied, so no diameter
// of the previous series is left to narrow an empty list.
void CalcModel::DataSearch()
{
    guarded(u"DataSearch", [&] {
        // One click, one deadline: both files together, each converted first
        // when it has changed, end within it.
        const CatalogueDeadline deadline;
        // Each query holds only the field its list shows, however wide the table.
        const CatalogueRecordset sizes = runCatalogueQuery(DbFilePath, kSpringConnect, SeriesQuery, {u"NO"});
        // Each list is emptied before its rows are read, so a failure while
        // reading leaves it empty rather than showing the previous series.
        clearList(form_, field::SizeList);
        const QStringList numbers = sizes.column(u"NO");
        form_.setItems(field::SizeList, numbers);
        if (numbers.isEmpty()) {
            clearList(form_, field::DiameterList);
            return;
        }
        const CatalogueRecordset diameters = runCatalogueQuery(DbFilePathD, kDiameterConnect, SeriesQuery, {u"d"});
        clearList(form_, field::DiameterList);
        form_.setItems(field::DiameterList, diameters.column(u"d"));
    });
}

void CalcModel::List2_Click()
{
    guarded(u"List2_Click", [&] {
        const std::optional<double> diameter = diameterValue(chosenEntry(form_[field::DiameterList]));
        if (!diameter) {
            // As after a query that failed: the sizes listed are not the diameter's.
            clearList(form_, field::SizeList);
            throw criterionMismatch();
        }
        SeriesDiameter = *diameter;
        SeriesQuery = QStringLiteral("SELECT * FROM [") + SeriesCode + QStringLiteral("] WHERE [D1] =?;");
        Dsize_DataSearch();
    });
}

void CalcModel::Dsize_DataSearch()
{
    guarded(u"Dsize_DataSearch", [&] {
        const CatalogueRecordset sizes =
            runCatalogueQuery(DbFilePath, kSpringConnect, SeriesQuery, {u"NO"}, {SeriesDiameter});
        clearList(form_, field::SizeList);
        if (sizes.rows.isEmpty())
            throw noCurrentRecord();
        form_.setItems(field::SizeList, sizes.column(u"NO"));
        // The size shown may not belong to the narrower list.
        if (!form_.text(field::SpringNo).isEmpty())
            DataClear();
    });
}

void CalcModel::List1_Click()
{
    guarded(u"List1_Click", [&] {
        QString number = chosenEntry(form_[field::SizeList]);
        // A NUL would end the query's text inside the quotes.
        if (number.contains(QChar(u'\0')))
            throw criterionMismatch();
        // A quote inside a catalogue number must not end the quoted text.
        number.replace(QLatin1Char('\''), QStringLiteral("''"));
        SeriesQuery = QStringLiteral("SELECT * FROM [") + SeriesCode + QStringLiteral("] WHERE [no] = '") + number
            + QStringLiteral("';");
        const CatalogueRecordset rs = runCatalogueQuery(DbFilePath, kSpringConnect, SeriesQuery);
        if (rs.rows.isEmpty())
            throw noCurrentRecord();
        const bool perSizeThirty = SeriesCode == QStringLiteral("SWC") || SeriesCode == QStringLiteral("SWG");
        for (int row = 0; row < rs.rows.size(); ++row) {
            form_.setText(field::SpringNo, rs.field(row, u"NO"));
            form_.setText(field::SpringNoCopy, rs.field(row, u"NO"));
            form_.setText(field::OuterDiameter, rs.field(row, u"D1"));
            form_.setText(field::InnerDiameter, rs.field(row, u"D2"));
            form_.setText(field::FreeLength, rs.field(row, u"l"));
            form_.setText(field::MinLength, rs.field(row, u"Lmin"));
            form_.setText(field::RateN, rs.field(row, u"N_mm"));
            form_.setText(field::RateKgf, rs.field(row, u"kgf_mm"));
            form_.setText(field::AllowedDeflection100, rs.field(row, u"fmm100"));
            form_.setText(field::AllowedDeflection50, rs.field(row, u"fmm50"));
            const QString fmm30 = rs.field(row, u"fmm30");
            if (!perSizeThirty) {
                form_.setText(field::AllowedDeflection30, fmm30);
            } else if (cdbl(fmm30) != 999) {
                form_.setText(field::AllowedDeflection30, fmm30);
                op15_ON();
            } else {
                // 999 marks a size without a three-hundred-thousand-stroke rating.
                form_.setText(field::AllowedDeflection30, kDash);
                op15_OFF();
            }
        }
        OptionButton_Set();
        aturyoku_keisan();
        check1();
        if (InputMode == kPart)
            SpOnly();
        assyuku_Hyoji();
    });
}

}  // namespace tolvane
