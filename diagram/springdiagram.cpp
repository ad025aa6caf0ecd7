#include "diagram/springdiagram.h"

#include "diagram/diagramfragments.h"
#include "diagram/dxffile.h"
#include "services/cp932.h"
#include "services/numtext.h"

#include <QStringBuilder>

namespace tolvane {
namespace {

using V = SpringDiagram::Value;

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
    if (in.ModeAll)
        return valText(in.Bite) <= 0 ? ReportBlock::AllTwoLine : ReportBlock::AllThreeLine;
    if (in.ModePart)
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
    v[V::RateText] = QStringLiteral("K=") % in.RateKgf % QStringLiteral("/mm");
    v[V::FinalLoadText] = in.FinalSpringLoadKgf % QStringLiteral("kgX") % in.SpringCount % QStringLiteral("=")
                          % in.FinalLoadKgf % QStringLiteral("kg");
    v[V::InitialLoadText] = zero ? QStringLiteral("0 kg")
                                 : QString(in.InitialSpringLoadKgf % QStringLiteral("kgX") % in.SpringCount
                                           % QStringLiteral("=") % in.InitialLoadKgf % QStringLiteral("kg"));
    v[V::FreeLengthText] = QStringLiteral("FREE LENGTH ") % in.FreeLength;

    // Lengths and dimensions.
    v[V::SetLengthText] = computed("Dxf_Data5", [&]() -> QString {
        return QStringLiteral("SET LENGTH ") % dblText(valText(in.FreeLength) - valText(ic));
    });
    v[V::CompLengthText] = QStringLiteral("COMP.LENGTH ") % in.CompressedLength;
    v[V::StrokeText] = in.Stroke % QStringLiteral(" ST");
    // The dimension reads the number at the text's start: "-", "." or a blank is no compression.
    v[V::InitialCompText] = computed("Dxf_Data6", [&]() -> QString { return valText(ic) == 0 ? QStringLiteral("0") : ic; });

    // Working point, drawn with the three-line blocks only.
    v[V::StartLoadText] = in.StartSpringLoadKgf % QStringLiteral("kgX") % in.SpringCount % QStringLiteral("=")
                          % in.StartLoadKgf % QStringLiteral("kg");
    if (threeLine(block_)) {
        v[V::DistanceText] = computed("Dxf_Data8", [&]() -> QString {
            if (in.ModeAll)
                return dblText(valText(in.PlateThickness) + valText(in.Bite)) % QStringLiteral("mm");
            return in.StartBeforeBottom % QStringLiteral("mm");
        });
    }

    // The report column.
    const QString& count = in.SpringCountDisplay;
    v[V::ProcessingLengthLine] = QStringLiteral("加工長 = ") % in.ProcessingLength % QStringLiteral("m/m");
    v[V::PlateThicknessLine] = QStringLiteral("板厚 = t") % in.PlateThickness;
    v[V::PressureLine] = QStringLiteral("加工圧 = ") % in.PressureDisplay;
    v[V::StrippingLine] = QStringLiteral("必要ストリッピング力 (") % in.StrippingPercent % QStringLiteral("％) = ")
                          % in.StrippingForceDisplay;
    v[V::FreeLengthLine] = QStringLiteral("L = ") % in.FreeLength;
    v[V::RateKgfLine] = QStringLiteral("kg/mm = ") % in.RateKgf;
    v[V::RateNLine] = QStringLiteral("N/mm = ") % in.RateN;
    v[V::CompressedLengthLine] = QStringLiteral("圧縮長 = ") % in.CompressedLength % QStringLiteral("mm");

    const QString initial = QStringLiteral("初圧 = ") % ic % QStringLiteral("mm");
    const QString start = QStringLiteral("加工開始 = ") % in.CompStartText % QStringLiteral("mm");
    const QString final = QStringLiteral("終圧 = ") % in.CompFinalText % QStringLiteral("mm");
    const QString arrow = QStringLiteral(" --> ");
    auto load = [&](const QString& compression, const QString& perSpring, const QString& unit,
                    const QString& total) -> QString {
        return compression % arrow % perSpring % unit % QStringLiteral("X") % count % QStringLiteral("=") % total
               % unit;
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
    v[V::StrokeLine] = QStringLiteral("ST = ") % in.Stroke % QStringLiteral("  ( 使用回数 ") % in.UseCountText
                       % QStringLiteral(" )");
}

int SpringDiagram::stepFragments(int step, int* fragments) const
{
    int n = 0;
    switch (step) {
    case 0:
        // CAD readers take the texts' code page from the header; without it
        // they guess their own and garble every Japanese text.
        fragments[n++] = kHeader1;
        fragments[n++] = kTables1;
        break;
    case 1: fragments[n++] = kTables2; break;
    case 2: fragments[n++] = kEntities3; break;
    case 3: fragments[n++] = kEntities4; break;
    case 4: fragments[n++] = kEntities5; break;
    case 5: fragments[n++] = kEntities6; break;
    case 6:
        if (threeLine(block_)) {
            fragments[n++] = kWorking7;
            fragments[n++] = kWorking8;
        }
        switch (block_) {
        case ReportBlock::AllTwoLine: fragments[n++] = kReportAll2; break;
        case ReportBlock::AllThreeLine: fragments[n++] = kReportAll3; break;
        case ReportBlock::PressureTwoLine: fragments[n++] = kReportPart2; break;
        case ReportBlock::PressureThreeLine: fragments[n++] = kReportPart3; break;
        case ReportBlock::None: break;
        }
        break;
    case 7: fragments[n++] = kClosing12; break;
    default: break;
    }
    return n;
}

QString SpringDiagram::stepsText(int first, int last) const
{
    int fragments[kDiagramFragmentCount];
    int count = 0;
    for (int step = first; step <= last; ++step)
        count += stepFragments(step, fragments + count);
    // Measured first, so the text is allocated once.
    qsizetype length = 0;
    for (int f = 0; f < count; ++f) {
        for (const DiagramPiece& p : kDiagramFragments[fragments[f]])
            length += p.value < 0 ? static_cast<qsizetype>(p.literal.size()) : values_[p.value].size() + 2;
    }
    QString out;
    out.reserve(length);
    for (int f = 0; f < count; ++f) {
        for (const DiagramPiece& p : kDiagramFragments[fragments[f]]) {
            if (p.value < 0) {
                out.append(QStringView(p.literal.data(), static_cast<qsizetype>(p.literal.size())));
            } else {
                out.append(values_[p.value]);
                out.append(u"\r\n");
            }
        }
    }
    return out;
}

QString SpringDiagram::stepText(int step) const
{
    return stepsText(step, step);
}

QString SpringDiagram::text() const
{
    return stepsText(0, kDiagramStepCount - 1);
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
