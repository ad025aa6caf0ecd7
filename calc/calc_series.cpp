// Spring kinds and series: which frame shows, which use counts a series
// offers, the buttons' pictures.
#include "calc/calcmodel.h"

#include "calc/calc_detail.h"

namespace tolvane {

using namespace calcdetail;

namespace {

struct Series {
    const char16_t* code;
    Ctl button;
    Ctl frame;
    bool option14;  // offers "50万回"
    bool option15;  // offers "30万回"
};

// Every series with the frame it stands in and the use counts it offers; a
// series that offers "50万回" checks it, the others check "100万回".
constexpr Series kSeries[] = {
    {u"SWB", Ctl::imgSWB, Ctl::Frame4, true, true},   {u"SWC", Ctl::imgSWC, Ctl::Frame4, true, true},
    {u"SWF", Ctl::imgSWF, Ctl::Frame4, true, true},   {u"SWH", Ctl::imgSWH, Ctl::Frame4, true, true},
    {u"SWL", Ctl::imgSWL, Ctl::Frame4, true, true},   {u"SWM", Ctl::imgSWM, Ctl::Frame4, true, true},
    {u"SWR", Ctl::imgSWR, Ctl::Frame4, false, true},  {u"SWS", Ctl::imgSWS, Ctl::Frame4, false, true},
    {u"SWU", Ctl::imgSWU, Ctl::Frame4, false, true},  {u"SWY", Ctl::imgSWY, Ctl::Frame4, false, true},
    {u"SWG", Ctl::imgSWG, Ctl::Frame6, true, true},   {u"SWV", Ctl::imgSWV, Ctl::Frame6, true, true},
    {u"SWZ", Ctl::imgSWZ, Ctl::Frame6, true, true},   {u"SWX", Ctl::imgSWX, Ctl::Frame6, false, false},
    {u"WB", Ctl::imgWB, Ctl::Frame5, false, false},   {u"WF", Ctl::imgWF, Ctl::Frame5, false, false},
    {u"WH", Ctl::imgWH, Ctl::Frame5, false, false},   {u"WL", Ctl::imgWL, Ctl::Frame5, false, false},
    {u"WM", Ctl::imgWM, Ctl::Frame5, false, false},   {u"WR", Ctl::imgWR, Ctl::Frame5, false, false},
    {u"WT", Ctl::imgWT, Ctl::Frame5, false, false},   {u"WY", Ctl::imgWY, Ctl::Frame5, false, false},
};

const Series* findSeries(QStringView code)
{
    for (const Series& s : kSeries) {
        if (code == QStringView(s.code))
            return &s;
    }
    return nullptr;
}

QList<const Series*> frameOrder(Ctl frame)
{
    QList<const Series*> out;
    for (const char16_t* code : seriesOrder(frame))
        out.append(findSeries(code));
    return out;
}

struct Kind {
    const char16_t* kind;
    Ctl button;
    const char16_t* picture;  // without "_on.gif" / "_off.gif"
    Ctl frame;
    const char16_t* handler;
};
constexpr Kind kKinds[] = {
    {u"M1", Ctl::imgRoundSp, u"round_sp", Ctl::Frame5, u"imgRoundSp_Click"},
    {u"K1", Ctl::imgSquare1Sp, u"square_sp1", Ctl::Frame4, u"imgSquare1Sp_Click"},
    {u"K2", Ctl::imgSquare2Sp, u"square_sp2", Ctl::Frame6, u"imgSquare2Sp_Click"},
};

const Kind* findKind(QStringView kind)
{
    for (const Kind& k : kKinds) {
        if (kind == QStringView(k.kind))
            return &k;
    }
    return nullptr;
}

}  // namespace

std::span<const char16_t* const> seriesOrder(Ctl frame)
{
    static constexpr const char16_t* frame5[] = {u"WY", u"WR", u"WF", u"WL", u"WT", u"WM", u"WH", u"WB"};
    static constexpr const char16_t* frame4[] = {u"SWY", u"SWU", u"SWR", u"SWS", u"SWC",
                                                 u"SWF", u"SWL", u"SWM", u"SWH", u"SWB"};
    static constexpr const char16_t* frame6[] = {u"SWG", u"SWZ", u"SWV", u"SWX"};
    switch (frame) {
    case Ctl::Frame5: return frame5;
    case Ctl::Frame4: return frame4;
    case Ctl::Frame6: return frame6;
    default: return {};
    }
}

void CalcModel::designPictures()
{
    for (const Series& s : kSeries)
        form_.setPicture(s.button, materialsPicture(s.code, u"_off.gif"));
    for (const Kind& k : kKinds)
        form_.setPicture(k.button, materialsPicture(k.picture, k.button == Ctl::imgSquare1Sp ? u"_on.gif" : u"_off.gif"));
}

void CalcModel::kindClicked(const QString& kind)
{
    if (const Kind* k = findKind(kind))
        guarded(k->handler, [&] { kindSequence(kind); });
}

void CalcModel::kindSequence(const QString& kind)
{
    if (SpringKind == kind)
        return;
    const Kind* chosen = findKind(kind);
    ResetImage();
    for (Ctl frame : {Ctl::Frame4, Ctl::Frame5, Ctl::Frame6})
        form_.setVisible(frame, frame == chosen->frame);
    SpChenge();
    SpringKind = kind;
    loadPicture(chosen->button, materialsPicture(chosen->picture, u"_on.gif"));
    for (const Kind& k : kKinds) {
        if (&k != chosen)
            loadPicture(k.button, materialsPicture(k.picture, u"_off.gif"));
    }
}

// Clears what belonged to the previous series; a step that fails is passed
// over and the rest still runs.
void CalcModel::SpChenge()
{
    auto step = [](auto&& body) {
        try {
            body();
        } catch (const VbError&) {
        }
    };
    step([&] { Textbox1Clar(); });
    step([&] { clearList(form_, field::SizeList); });
    step([&] { clearList(form_, field::DiameterList); });
    step([&] { DataClear(); });
    step([&] { GrafuSet(); });
    step([&] { Picture_on(); });
    step([&] {
        for (Ctl menu : {Ctl::mnuAllsel, Ctl::mnuCopy, Ctl::mnuCut})
            form_.setEnabled(menu, false);
    });
}

void CalcModel::ResetImage()
{
    guarded(u"ResetImage", [&] {
        for (Ctl frame : kSeriesFrames) {
            for (const Series* s : frameOrder(frame))
                loadPicture(s->button, materialsPicture(s->code, u"_off.gif"));
        }
    });
}

void CalcModel::seriesClicked(const QString& code)
{
    const Series* s = findSeries(code);
    if (!s)
        return;
    try {
        seriesSequence(code);
    } catch (const VbError& e) {
        logError(mainLabel(QStringLiteral("img") + code + QStringLiteral("_Click")), e);
    }
}

void CalcModel::seriesSequence(const QString& code)
{
    const Series* s = findSeries(code);
    Picture_off();
    SeriesCode = code;
    DataClear();
    GrafuSet();
    OptionButton_Clear();
    Textbox1Clar();
    SeriesQuery = QStringLiteral("SELECT * FROM [") + code + QStringLiteral("];");
    DataSearch();
    if (s->option14)
        op14_ON();
    else
        op14_OFF();
    if (s->option15)
        op15_ON();
    else
        op15_OFF();
    form_.setValue(s->option14 ? field::UseCount50 : field::UseCount100, true);
    loadPicture(s->button, materialsPicture(s->code, u"_on.gif"));
    for (const Series* other : frameOrder(s->frame)) {
        if (other != s)
            loadPicture(other->button, materialsPicture(other->code, u"_off.gif"));
    }
}

}  // namespace tolvane
