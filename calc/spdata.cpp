#include "calc/spdata.h"

#include "calc/calc_detail.h"
#include "calc/springrecord.h"

namespace tolvane {

bool setSpData(const Form& form, const QString& inputMode)
{
    SpringRecord& r = springRecord();
    try {
        r.FreeLength = form.text(Ctl::Label24);
        r.InitialCompression = form.text(Ctl::Text9);
        r.Stroke = form.text(Ctl::Text3);
        r.SetLength = dblText(cdbl(form.text(Ctl::Label24)) - cdbl(form.text(Ctl::Text9)));
        r.CompressedLength = dblText(cdbl(r.SetLength) - cdbl(form.text(Ctl::Text3)));
        r.InitialLoadKgf = form.text(Ctl::Label46);
        if (form.text(Ctl::Label49) != calcdetail::kDash) {
            r.StartLoadKgf = form.text(Ctl::Label49);
            if (inputMode == calcdetail::kPart) {
                r.StartDistance = dblText(cdbl(form.text(Ctl::Text12)));
            } else {
                const double bite = cdbl(form.text(Ctl::Text11));
                r.StartDistance = dblText(cdbl(form.text(Ctl::Text2)) + bite);
            }
            r.DxfKind = QStringLiteral("All");
        } else {
            r.StartLoadKgf.clear();
            r.StartDistance.clear();
            r.DxfKind = QStringLiteral("SppOnly");
        }
        r.FinalLoadKgf = form.text(Ctl::Label47);
        return true;
    } catch (const VbError& e) {
        logError(calcdetail::mainLabel(QStringLiteral("setSpData")), e);
        return false;
    }
}

void ClearGlobalValue()
{
    springRecord() = SpringRecord{};
    totalDiagramValues().clear();
    totalDiagramValues().squeeze();
}

}  // namespace tolvane
