#include "calc/spdata.h"

#include "calc/calc_detail.h"
#include "calc/springrecord.h"

namespace tolvane {

bool setSpData(const Form& form, const QString& inputMode)
{
    SpringRecord& r = springRecord();
    try {
        r.FreeLength = form.text(field::FreeLength);
        r.InitialCompression = form.text(field::InitialCompression);
        r.Stroke = form.text(field::Stroke);
        recordLengths(form, r.SetLength, r.CompressedLength);
        r.InitialLoadKgf = form.text(field::InitialLoadKgf);
        if (form.text(field::StartLoadKgf) != calcdetail::kDash) {
            r.StartLoadKgf = form.text(field::StartLoadKgf);
            if (inputMode == calcdetail::kPart) {
                r.StartDistance = dblText(cdbl(form.text(field::StartBeforeBottom)));
            } else {
                const double bite = cdbl(form.text(field::Bite));
                r.StartDistance = dblText(cdbl(form.text(field::PlateThickness)) + bite);
            }
            r.DxfKind = QStringLiteral("All");
        } else {
            r.StartLoadKgf.clear();
            r.StartDistance.clear();
            r.DxfKind = QStringLiteral("SppOnly");
        }
        r.FinalLoadKgf = form.text(field::FinalLoadKgf);
        return true;
    } catch (const VbError& e) {
        logError(calcdetail::mainLabel(QStringLiteral("setSpData")), e);
        return false;
    }
}

void recordLengths(const Form& form, QString& setLength, QString& compressedLength)
{
    setLength = dblText(cdbl(form.text(field::FreeLength)) - cdbl(form.text(field::InitialCompression)));
    compressedLength = dblText(cdbl(setLength) - cdbl(form.text(field::Stroke)));
}

void ClearGlobalValue()
{
    springRecord() = SpringRecord{};
    totalDiagramValues().clear();
    totalDiagramValues().squeeze();
}

}  // namespace tolvane
