#pragma once
// The spring pressure diagram: a DXF drawing of fixed geometry whose text
// rows carry the current result. Built in one go from a snapshot of the
// inputs, so the file is always whole: every value, every choice and every
// conversion is settled before the first row exists.

#include "diagram/diagraminputs.h"
#include "services/vberror.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace tolvane {

// The column of report lines at the side of the diagram: all values entered
// or spring pressure only, with or without the processing-start lines (the
// three-line blocks come with the working-point group).
enum class ReportBlock { None, AllTwoLine, AllThreeLine, PressureTwoLine, PressureThreeLine };

ReportBlock chooseReportBlock(const DiagramInputs& inputs);

// The initial compression decides two forms of the drawing. An empty box is
// no compression, a number is compared with 0, and anything else is a
// compression that is simply copied as it stands.
bool isZeroCompression(const QString& initialCompression);

// One writing step: the writer's procedure name (its log label) and the
// length of the progress run that follows it.
struct DiagramStep {
    const char* writer;
    int progressSteps;
};
inline constexpr int kDiagramStepCount = 8;
const std::array<DiagramStep, kDiagramStepCount>& diagramSteps();

// A value that cannot be drawn (a length beyond the range of a number):
// the writer that needs it and the error.
struct DiagramError {
    QString writer;
    VbError error;
};

class SpringDiagram {
public:
    // Reads and converts every value; throws DiagramError.
    SpringDiagram(const DiagramInputs& inputs, const QString& diagramName);

    ReportBlock block() const { return block_; }
    // The rows of one writing step, each ended by CR LF.
    QString stepText(int step) const;
    // The whole drawing.
    QString text() const;

    enum Value : int {
#define TOLVANE_DIAGRAM_VALUES(X)                                                               \
    X(SpringNo) X(DiagramName) X(BC_X2) X(BC_Y) X(RateText) X(FinalLoadText) X(InitialLoadText)   \
    X(FreeLengthText) X(SetLengthText) X(CompLengthText) X(StrokeText) X(InitialCompText)         \
    X(StartLoadText) X(DistanceText) X(ProcessingLengthLine) X(PlateThicknessLine) X(PressureLine) \
    X(StrippingLine) X(FreeLengthLine) X(RateKgfLine) X(RateNLine) X(CompressedLengthLine)        \
    X(InitialCompLine) X(StartCompLine) X(FinalCompLine) X(InitialKgLine) X(StartKgLine)          \
    X(FinalKgLine) X(InitialNLine) X(StartNLine) X(PartStartNLine) X(FinalNLine) X(StrokeLine)
#define TOLVANE_X(name) name,
        TOLVANE_DIAGRAM_VALUES(TOLVANE_X)
#undef TOLVANE_X
        ValueCount
    };
    const QString& value(Value v) const { return values_[v]; }

private:
    // The fragments of one writing step, in order; their count.
    int stepFragments(int step, int* fragments) const;
    QString stepsText(int first, int last) const;

    std::array<QString, ValueCount> values_;
    ReportBlock block_ = ReportBlock::None;
};

// The whole drawing as text, and as the bytes of the file (code page 932;
// a character it cannot hold becomes "?"). Throw DiagramError.
QString buildSpringDiagram(const DiagramInputs& inputs, const QString& diagramName);
QByteArray encodeSpringDiagram(const DiagramInputs& inputs, const QString& diagramName);

}  // namespace tolvane
