#include "diagram/springdiagram.h"

#include "diagram/dxffile.h"
#include "services/cp932.h"
#include "services/embedded.h"
#include "services/numtext.h"

#include <QStringList>

#include <stdexcept>
#include <vector>

namespace {
struct FragmentFile {
    const char* name;
    QByteArray bytes;
};
}  // namespace

// The embedded data are declared at global scope, where the build defines
// them. In the order of FragmentId.
static std::vector<FragmentFile> diagramFragmentFiles()
{
    return {
        {"tables_1.dxf", TOLVANE_EMBEDDED(tables_1_dxf)},
        {"tables_2.dxf", TOLVANE_EMBEDDED(tables_2_dxf)},
        {"entities_3.dxf", TOLVANE_EMBEDDED(entities_3_dxf)},
        {"entities_4.dxf", TOLVANE_EMBEDDED(entities_4_dxf)},
        {"entities_5.dxf", TOLVANE_EMBEDDED(entities_5_dxf)},
        {"entities_6.dxf", TOLVANE_EMBEDDED(entities_6_dxf)},
        {"working_7.dxf", TOLVANE_EMBEDDED(working_7_dxf)},
        {"working_8.dxf", TOLVANE_EMBEDDED(working_8_dxf)},
        {"report_all_2.dxf", TOLVANE_EMBEDDED(report_all_2_dxf)},
        {"report_all_3.dxf", TOLVANE_EMBEDDED(report_all_3_dxf)},
        {"report_pressure_only_2.dxf", TOLVANE_EMBEDDED(report_pressure_only_2_dxf)},
        {"report_pressure_only_3.dxf", TOLVANE_EMBEDDED(report_pressure_only_3_dxf)},
        {"closing_12.dxf", TOLVANE_EMBEDDED(closing_12_dxf)},
    };
}

namespace tolvane {
namespace {

using V = SpringDiagram::Value;

// A fixed fragment: runs of literal rows (CR LF included) between the rows
// that carry a value.
struct Piece {
    QString literal;
    int value = -1;
};
using Fragment = std::vector<Piece>;

enum FragmentId : int {
    kTables1, kTables2, kEntities3, kEntities4, kEntities5, kEntities6, kWorking7, kWorking8,
    kReportAll2, kReportAll3, kReportPart2, kReportPart3, kClosing12, kFragmentCount
};

int valueByName(QStringView name)
{
    static const char* const names[] = {
#define TOLVANE_X(n) #n,
        TOLVANE_DIAGRAM_VALUES(TOLVANE_X)
#undef TOLVANE_X
    };
    for (int i = 0; i < V::ValueCount; ++i) {
        if (name == QLatin1String(names[i]))
            return i;
    }
    return -1;
}

// The data files are part of the program; one that does not parse is a
// build defect, which the tests catch, not an input fault.
Fragment parseFragment(const QByteArray& bytes, const char* file)
{
    const QString text = QString::fromUtf8(bytes);
    if (!text.endsWith(QStringLiteral("\r\n")))
        throw std::logic_error(std::string("diagram fragment without a final CR LF: ") + file);
    QStringList rows = text.split(QStringLiteral("\r\n"));
    rows.removeLast();
    Fragment out;
    Piece run;
    for (const QString& row : rows) {
        if (row.contains(QLatin1Char('\r')) || row.contains(QLatin1Char('\n')))
            throw std::logic_error(std::string("diagram fragment with a bare line end: ") + file);
        if (row.startsWith(QLatin1Char('@'))) {
            const int v = valueByName(QStringView(row).mid(1));
            if (v < 0)
                throw std::logic_error(std::string("diagram fragment with an unknown value row: ") + file);
            if (!run.literal.isEmpty())
                out.push_back(std::move(run));
            run = Piece{};
            out.push_back(Piece{QString(), v});
        } else {
            run.literal += row;
            run.literal += QStringLiteral("\r\n");
        }
    }
    if (!run.literal.isEmpty())
        out.push_back(std::move(run));
    return out;
}

const std::array<Fragment, kFragmentCount>& fragments()
{
    static const std::array<Fragment, kFragmentCount> all = [] {
        const std::vector<FragmentFile> files = diagramFragmentFiles();
        std::array<Fragment, kFragmentCount> parsed;
        for (std::size_t i = 0; i < parsed.size(); ++i)
            parsed[i] = parseFragment(files.at(i).bytes, files.at(i).name);
        return parsed;
    }();
    return all;
}

// The number of a text, or the error the writer that needs it would log.
template <typename F>
QString computed(const char* writer, F f)
{
    try {
        return f();
    } catch (const VbError& e) {
        throw DiagramError{QString::fromLatin1(writer), e};
    }
}

bool threeLine(ReportBlock b)
{
    return b == ReportBlock::AllThreeLine || b == ReportBlock::PressureThreeLine;
}

}  // namespace

ReportBlock chooseReportBlock(const DiagramInputs& in)
{
    // The two options are one group; should both ever be set, one block
    // only, or the file would carry every handle of the column twice.
    if (in.Option1)
        return valText(in.Bite) <= 0 ? ReportBlock::AllTwoLine : ReportBlock::AllThreeLine;
    if (in.Option2)
        return valText(in.StartBeforeBottom) <= 0 ? ReportBlock::PressureTwoLine : ReportBlock::PressureThreeLine;
    return ReportBlock::None;
}

bool isZeroCompression(const QString& text)
{
    if (text.isEmpty())
        return true;
    if (!isStrictNumber(text))
        return false;
    try {
        return cdbl(text) == 0;
    } catch (const VbError&) {
        return false;  // beyond the range of a number: certainly not 0
    }
}

const std::array<DiagramStep, kDiagramStepCount>& diagramSteps()
{
    static const std::array<DiagramStep, kDiagramStepCount> steps = {{
        {"Dxf_Data1", 170},
        {"Dxf_Data2", 100},
        {"Dxf_Data3", 50},
        {"Dxf_Data4", 180},
        {"Dxf_Data5", 200},
        {"Dxf_Data6", 135},
        {"Dxf_Data11", 75},
        {"Dxf_Data12", 300},
    }};
    return steps;
}

SpringDiagram::SpringDiagram(const DiagramInputs& raw, const QString& diagramName)
{
    fragments();  // a defect in the data files shows before anything else
    if (raw.CompressionError)
        throw DiagramError{QStringLiteral("Dxf_Data11"), *raw.CompressionError};

    DiagramInputs in = raw;
    for (QString* s : {&in.PlateThickness, &in.Stroke, &in.ProcessingLength, &in.StrippingPercent,
                       &in.InitialCompression, &in.SpringCount, &in.Bite, &in.StartBeforeBottom,
                       &in.SpringNo, &in.FreeLength, &in.RateN, &in.RateKgf, &in.PressureDisplay,
                       &in.StrippingForceDisplay, &in.SpringCountDisplay, &in.InitialLoadKgf,
                       &in.FinalLoadKgf, &in.StartLoadKgf, &in.InitialLoadN, &in.StartLoadN,
                       &in.FinalLoadN, &in.InitialSpringLoadKgf, &in.StartSpringLoadKgf,
                       &in.FinalSpringLoadKgf, &in.CompressedLength, &in.InitialSpringLoadN,
                       &in.StartSpringLoadN, &in.FinalSpringLoadN, &in.CompStartText, &in.CompFinalText,
                       &in.PartStartSpringLoadN, &in.UseCountText})
        *s = dxfSafeText(*s);

    block_ = [&] {
        try {
            return chooseReportBlock(in);
        } catch (const VbError& e) {
            throw DiagramError{QStringLiteral("Dxf_Data11"), e};
        }
    }();

    const bool zero = isZeroCompression(in.InitialCompression);
    const QString& ic = in.InitialCompression;
    auto& v = values_;

    // Title, spring and loads.
    v[V::SpringNo] = in.SpringNo;
    v[V::DiagramName] = dxfSafeText(diagramName);
    v[V::BC_X2] = zero ? QStringLiteral("305.20523263257382") : QStringLiteral("380.42882851662489");
    v[V::BC_Y] = zero ? QStringLiteral("203.2193622313541") : QStringLiteral("203.21936223135421");
    v[V::RateText] = QStringLiteral("K=") + in.RateKgf + QStringLiteral("/mm");
    v[V::FinalLoadText] = in.FinalSpringLoadKgf + QStringLiteral("kgX") + in.SpringCount + QStringLiteral("=")
                          + in.FinalLoadKgf + QStringLiteral("kg");
    v[V::InitialLoadText] = zero ? QStringLiteral("0 kg")
                                 : in.InitialSpringLoadKgf + QStringLiteral("kgX") + in.SpringCount
                                       + QStringLiteral("=") + in.InitialLoadKgf + QStringLiteral("kg");
    v[V::FreeLengthText] = QStringLiteral("FREE LENGTH ") + in.FreeLength;

    // Lengths and dimensions.
    v[V::SetLengthText] = computed("Dxf_Data5", [&] {
        return QStringLiteral("SET LENGTH ") + dblText(valText(in.FreeLength) - valText(ic));
    });
    v[V::CompLengthText] = QStringLiteral("COMP.LENGTH ") + in.CompressedLength;
    v[V::StrokeText] = in.Stroke + QStringLiteral(" ST");
    // The dimension reads the number at the text's start: "-", "." or a blank is no compression.
    v[V::InitialCompText] = computed("Dxf_Data6", [&] { return valText(ic) == 0 ? QStringLiteral("0") : ic; });

    // Working point, drawn with the three-line blocks only.
    v[V::StartLoadText] = in.StartSpringLoadKgf + QStringLiteral("kgX") + in.SpringCount + QStringLiteral("=")
                          + in.StartLoadKgf + QStringLiteral("kg");
    if (threeLine(block_)) {
        v[V::DistanceText] = computed("Dxf_Data8", [&] {
            if (in.Option1)
                return dblText(valText(in.PlateThickness) + valText(in.Bite)) + QStringLiteral("mm");
            return in.StartBeforeBottom + QStringLiteral("mm");
        });
    }

    // The report column.
    const QString& count = in.SpringCountDisplay;
    v[V::ProcessingLengthLine] = QStringLiteral("加工長 = ") + in.ProcessingLength + QStringLiteral("m/m");
    v[V::PlateThicknessLine] = QStringLiteral("板厚 = t") + in.PlateThickness;
    v[V::PressureLine] = QStringLiteral("加工圧 = ") + in.PressureDisplay;
    v[V::StrippingLine] = QStringLiteral("必要ストリッピング力 (") + in.StrippingPercent + QStringLiteral("％) = ")
                          + in.StrippingForceDisplay;
    v[V::FreeLengthLine] = QStringLiteral("L = ") + in.FreeLength;
    v[V::RateKgfLine] = QStringLiteral("kg/mm = ") + in.RateKgf;
    v[V::RateNLine] = QStringLiteral("N/mm = ") + in.RateN;
    v[V::CompressedLengthLine] = QStringLiteral("圧縮長 = ") + in.CompressedLength + QStringLiteral("mm");

    const QString initial = QStringLiteral("初圧 = ") + ic + QStringLiteral("mm");
    const QString start = QStringLiteral("加工開始 = ") + in.CompStartText + QStringLiteral("mm");
    const QString final = QStringLiteral("終圧 = ") + in.CompFinalText + QStringLiteral("mm");
    const QString arrow = QStringLiteral(" --> ");
    auto load = [&](const QString& compression, const QString& perSpring, const QString& unit,
                    const QString& total) {
        return compression + arrow + perSpring + unit + QStringLiteral("X") + count + QStringLiteral("=") + total
               + unit;
    };
    const QString kg = QStringLiteral("kg");
    const QString n = QStringLiteral("N");
    v[V::InitialCompLine] = zero ? QStringLiteral("初圧 = 0mm") : initial;
    v[V::StartCompLine] = start;
    v[V::FinalCompLine] = final;
    v[V::InitialKgLine] = zero ? QStringLiteral("初圧 = 0kg") : load(initial, in.InitialSpringLoadKgf, kg, in.InitialLoadKgf);
    v[V::StartKgLine] = load(start, in.StartSpringLoadKgf, kg, in.StartLoadKgf);
    v[V::FinalKgLine] = load(final, in.FinalSpringLoadKgf, kg, in.FinalLoadKgf);
    v[V::InitialNLine] = zero ? QStringLiteral("初圧 = 0N") : load(initial, in.InitialSpringLoadN, n, in.InitialLoadN);
    v[V::StartNLine] = load(start, in.StartSpringLoadN, n, in.StartLoadN);
    v[V::PartStartNLine] = load(start, in.PartStartSpringLoadN, n, in.StartLoadN);
    v[V::FinalNLine] = load(final, in.FinalSpringLoadN, n, in.FinalLoadN);
    v[V::StrokeLine] = QStringLiteral("ST = ") + in.Stroke + QStringLiteral("  ( 使用回数 ") + in.UseCountText
                       + QStringLiteral(" )");
}

void SpringDiagram::appendFragment(QString& out, int fragment) const
{
    for (const Piece& p : fragments()[static_cast<std::size_t>(fragment)]) {
        if (p.value < 0) {
            out += p.literal;
        } else {
            out += values_[p.value];
            out += QStringLiteral("\r\n");
        }
    }
}

QString SpringDiagram::stepText(int step) const
{
    QString out;
    appendStep(out, step);
    return out;
}

void SpringDiagram::appendStep(QString& out, int step) const
{
    switch (step) {
    case 0: appendFragment(out, kTables1); break;
    case 1: appendFragment(out, kTables2); break;
    case 2: appendFragment(out, kEntities3); break;
    case 3: appendFragment(out, kEntities4); break;
    case 4: appendFragment(out, kEntities5); break;
    case 5: appendFragment(out, kEntities6); break;
    case 6:
        if (threeLine(block_)) {
            appendFragment(out, kWorking7);
            appendFragment(out, kWorking8);
        }
        switch (block_) {
        case ReportBlock::AllTwoLine: appendFragment(out, kReportAll2); break;
        case ReportBlock::AllThreeLine: appendFragment(out, kReportAll3); break;
        case ReportBlock::PressureTwoLine: appendFragment(out, kReportPart2); break;
        case ReportBlock::PressureThreeLine: appendFragment(out, kReportPart3); break;
        case ReportBlock::None: break;
        }
        break;
    case 7: appendFragment(out, kClosing12); break;
    default: break;
    }
}

QString SpringDiagram::text() const
{
    QString out;
    out.reserve(32 * 1024);
    for (int i = 0; i < kDiagramStepCount; ++i)
        appendStep(out, i);
    return out;
}

QString buildSpringDiagram(const DiagramInputs& inputs, const QString& diagramName)
{
    return SpringDiagram(inputs, diagramName).text();
}

QByteArray encodeSpringDiagram(const DiagramInputs& inputs, const QString& diagramName)
{
    return encodeCp932(buildSpringDiagram(inputs, diagramName));
}

}  // namespace tolvane
