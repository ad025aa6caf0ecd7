// The main window's controls: one table of every control, its kind, place
// and caption, from which the window is built, and its menus.
#include "frame/mainwindow.h"

#include "frame/banner.h"
#include "frame/look.h"
#include "frame/mainwindow_detail.h"
#include "frame/webservers.h"
#include "frame/widgets.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>

#include <optional>
#include <span>

namespace tolvane {

using namespace mainwindowdetail;

namespace {

// What a control is: which widget it takes and how it is dressed.
enum class Kind {
    Group,       // a frame; the caption is its title
    Area,        // a bare area
    Caption,     // text on the window's own background: its colour follows the skin unless tinted
    Sign,        // a caption centred between boxes (×, ＝, ％) or on a tag
    Head,        // a table heading: its own colours in both looks
    Value,       // a value cell: black on white
    DarkValue,   // a value cell on black, in its tint, for the coloured highlights
    Box,         // an input box
    Spin,        // the arrows beside a box
    Picture,     // a picture button; the caption is its tool tip
    Option,      // an option button
    Choice,      // the size or diameter list
    Plate,       // a plain area filled with its tint
    Vertical,    // a caption written top to bottom
    Report,      // the report box
    HiddenList,  // a list nothing shows
};

// Lettering other than the program's font.
enum class Font { Plain, Bold, Title, Product, Tag, Tiny, Message };

QFont fontFor(Font font, const QFont& base)
{
    QFont f(base);
    switch (font) {
    case Font::Plain: break;
    case Font::Bold: f.setBold(true); break;
    case Font::Title: f.setPointSize(16); f.setBold(true); break;
    case Font::Product: f.setPointSize(26); f.setBold(true); f.setItalic(true); break;
    case Font::Tag: f.setPointSize(7); break;
    case Font::Tiny: f.setPointSize(6); break;
    case Font::Message: f.setPointSize(10); break;
    }
    return f;
}

// One control of the window: its name, the control it sits in, what it is,
// where, and what it shows.
struct Place {
    const char16_t* name;
    const char16_t* parent;
    Kind kind;
    QRect rect;
    const char16_t* caption = nullptr;
    std::optional<ColorRef> tint = {};  // the text's colour; a plate's fill
    Font font = Font::Plain;
};

constexpr const char16_t* kClient = u"frmMainClient";

// Every control in the order it is made (a series frame's buttons, which
// the model orders, right after their frame), which is also the order the
// Tab key follows and the order they are drawn in: later ones on top.
std::span<const Place> windowPlaces()
{
    using enum Kind;
    static const Place places[] = {
        // --- toolbar -------------------------------------------------------------
        {u"Frame3",           kClient,      Group,      {8, 2, 640, 62}},
        {u"imgDisplayTxt",    u"Frame3",    Picture,    {6, 8, 76, 48}, u"計算結果の表示"},
        {u"imgSelectAll",     u"Frame3",    Picture,    {84, 8, 76, 48}, u"全て選択"},
        {u"imgCopy",          u"Frame3",    Picture,    {162, 8, 76, 48}, u"コピー"},
        {u"imgClearData",     u"Frame3",    Picture,    {240, 8, 76, 48}, u"データクリア"},
        {u"imgAllClear",      u"Frame3",    Picture,    {318, 8, 76, 48}, u"全てクリア"},
        {u"imgOutputDXF",     u"Frame3",    Picture,    {396, 8, 76, 48}, u"DXF出力"},
        {u"imgTotalOutput",   u"Frame3",    Picture,    {474, 8, 76, 48}, u"合成圧力線図"},
        {u"imgHowToUse",      u"Frame3",    Picture,    {552, 8, 76, 48}, u"使い方"},
        // --- title panel (the version is set from the program's own) and product title ---
        {u"Picture6",         kClient,      Plate,      {656, 4, px(2610), px(1005)}, nullptr, 0x000000},
        {u"Label55",          u"Picture6",  Caption,    {px(135), 6, 160, 28}, u"Tolvane", 0x00FFFF, Font::Title},
        {u"Label56",          u"Picture6",  Caption,    {px(1080), 42, 120, 18}, nullptr, 0x00FFFF},
        {u"Label81",          kClient,      Caption,    {839, 9, 172, 52}, u"Tolvane", {}, Font::Product},
        {u"Label80",          kClient,      Caption,    {840, 10, 172, 52}, u"Tolvane", {}, Font::Product},
        // --- spring kind, input mode, use count ------------------------------------
        {u"Frame7",           kClient,      Group,      {8, 70, 316, 62}, u"コイル種類"},
        {u"imgRoundSp",       u"Frame7",    Picture,    {12, 24, 88, 31}},
        {u"imgSquare1Sp",     u"Frame7",    Picture,    {114, 24, 88, 31}},
        {u"imgSquare2Sp",     u"Frame7",    Picture,    {216, 24, 88, 31}},
        {u"Option1",          kClient,      Option,     {8, 138, 316, 22}, u"全ての数値を入力"},
        {u"Option2",          kClient,      Option,     {8, 162, 316, 22}, u"スプリングの圧力だけを計算"},
        {u"Label33",          kClient,      Head,       {8, 190, 140, 22}, u"使用回数"},
        {u"Label76",          kClient,      Head,       {150, 190, 174, 22}, u"許容タワミ (mm)"},
        // Each use count: the option shows only its button, and the caption
        // beside it carries the highlight colour; the size's allowed
        // deflection follows under its catalogue caption.
        {u"Option13",         kClient,      Option,     {10, 216, 20, 20}, u"100万回"},
        {u"Label34",          kClient,      DarkValue,  {32, 214, 116, 22}, u"100万回", 0x808080},
        {u"capFmm0",          kClient,      Head,       {150, 214, 94, 22}, u"Fmm/100万回"},
        {u"Label28",          kClient,      DarkValue,  {246, 214, 78, 22}, nullptr, 0x808080},
        {u"Option14",         kClient,      Option,     {10, 240, 20, 20}, u"50万回"},
        {u"Label35",          kClient,      DarkValue,  {32, 238, 116, 22}, u"50万回", 0x808080},
        {u"capFmm1",          kClient,      Head,       {150, 238, 94, 22}, u"Fmm/50万回"},
        {u"Label29",          kClient,      DarkValue,  {246, 238, 78, 22}, nullptr, 0x808080},
        {u"Option15",         kClient,      Option,     {10, 264, 20, 20}, u"30万回"},
        {u"Label36",          kClient,      DarkValue,  {32, 262, 116, 22}, u"30万回", 0x808080},
        {u"capFmm2",          kClient,      Head,       {150, 262, 94, 22}, u"Fmm/30万回"},
        {u"Label30",          kClient,      DarkValue,  {246, 262, 78, 22}, nullptr, 0x808080},
        // --- series frames, all at one place; each brings its buttons -----------------
        {u"Frame4",           kClient,      Group,      kSeriesPlace},
        {u"Frame5",           kClient,      Group,      kSeriesPlace},
        {u"Frame6",           kClient,      Group,      kSeriesPlace},
        // --- diameters and sizes ----------------------------------------------------
        {u"Frame1",           kClient,      Group,      {8, 380, 112, 300}, u"外径（φ）を指定"},
        {u"List2",            u"Frame1",    Choice,     {8, 24, 96, 268}},
        {u"Label73",          kClient,      Head,       {126, 386, 198, 22}, u"スプリング No."},
        {u"List1",            kClient,      Choice,     {126, 410, 198, 270}},
        // --- the chosen spring and its catalogue dimensions ---------------------------
        {u"Label53",          kClient,      Caption,    {336, 72, 100, 22}, u"選択スプリング"},
        {u"Label21",          kClient,      Value,      {440, 72, 236, 22}, nullptr, {}, Font::Bold},
        {u"Label5",           kClient,      Caption,    {336, 98, 60, 22}, u"外径"},
        {u"Label22",          kClient,      Value,      {398, 98, 104, 22}},
        {u"Label6",           kClient,      Caption,    {508, 98, 60, 22}, u"内径"},
        {u"Label23",          kClient,      Value,      {570, 98, 104, 22}},
        {u"Label7",           kClient,      Caption,    {336, 122, 60, 22}, u"長さ"},
        {u"Label24",          kClient,      Value,      {398, 122, 104, 22}},
        {u"Label8",           kClient,      Caption,    {508, 122, 60, 22}, u"l min"},
        {u"Label25",          kClient,      Value,      {570, 122, 104, 22}},
        {u"Label9",           kClient,      Caption,    {336, 146, 60, 22}, u"N/mm"},
        {u"Label26",          kClient,      Value,      {398, 146, 104, 22}},
        {u"Label10",          kClient,      Caption,    {508, 146, 60, 22}, u"kgf/mm"},
        {u"Label27",          kClient,      Value,      {570, 146, 104, 22}},
        // --- the die's data -----------------------------------------------------------
        {u"Label1",           kClient,      Caption,    {336, 172, 76, 18}, u"板厚 (T)"},
        {u"Text2",            kClient,      Box,        {336, 190, 68, 22}},
        {u"Label12",          kClient,      Sign,       {406, 190, 14, 22}, u"×"},
        {u"Label13",          kClient,      Caption,    {422, 172, 86, 18}, u"加工長さ (L)"},
        {u"Text4",            kClient,      Box,        {422, 190, 68, 22}},
        {u"Label14",          kClient,      Sign,       {492, 190, 14, 22}, u"×"},
        {u"Label15",          kClient,      Caption,    {508, 172, 60, 18}, u"係数"},
        {u"Text5",            kClient,      Box,        {508, 190, 44, 22}},
        {u"UpDown1",          kClient,      Spin,       {552, 190, 16, 22}},
        {u"Label20",          kClient,      Sign,       {570, 190, 16, 22}, u"＝"},
        {u"Label16",          kClient,      Caption,    {588, 172, 88, 18}, u"圧力 (Kg)"},
        {u"Text6",            kClient,      Box,        {588, 190, 88, 22}},
        {u"Label17",          kClient,      Caption,    {336, 218, 110, 18}, u"ストリッピング"},
        {u"Text8",            kClient,      Box,        {336, 236, 44, 22}},
        {u"UpDown2",          kClient,      Spin,       {380, 236, 16, 22}},
        {u"Label19",          kClient,      Sign,       {398, 236, 16, 22}, u"％"},
        {u"Label18",          kClient,      Sign,       {416, 236, 16, 22}, u"＝"},
        {u"Text7",            kClient,      Box,        {434, 236, 88, 22}},
        {u"Label11",          kClient,      Caption,    {524, 236, 30, 22}, u"kgf"},
        {u"Label2",           kClient,      Caption,    {336, 264, 80, 18}, u"初圧 (mm)"},
        {u"Text9",            kClient,      Box,        {336, 282, 68, 22}},
        {u"Label3",           kClient,      Caption,    {418, 264, 88, 18}, u"ストローク (mm)"},
        {u"Text3",            kClient,      Box,        {418, 282, 68, 22}},
        {u"Label4",           kClient,      Caption,    {510, 264, 70, 18}, u"使用本数"},
        {u"Text10",           kClient,      Box,        {510, 282, 44, 22}},
        {u"UpDown3",          kClient,      Spin,       {554, 282, 16, 22}},
        {u"Label52",          kClient,      Caption,    {592, 264, 70, 18}, u"カミアイ"},
        {u"Text11",           kClient,      Box,        {592, 282, 44, 22}},
        {u"UpDown4",          kClient,      Spin,       {636, 282, 16, 22}},
        {u"Label37",          kClient,      Caption,    {336, 310, 110, 18}, u"下死点手前 m/m"},
        {u"Text12",           kClient,      Box,        {336, 328, 68, 22}},
        // --- results ------------------------------------------------------------------
        {u"Label38",          kClient,      Head,       {336, 362, 130, 22}, u"加工圧力"},
        {u"Label43",          kClient,      Value,      {468, 362, 208, 22}},
        {u"Label39",          kClient,      Head,       {336, 386, 130, 22}, u"必要ストリッピング力"},
        {u"Label44",          kClient,      Value,      {468, 386, 208, 22}},
        {u"Label40",          kClient,      Head,       {336, 410, 130, 22}, u"SP 本数"},
        {u"Label45",          kClient,      Value,      {468, 410, 52, 22}},
        {u"Label42",          kClient,      Head,       {524, 410, 60, 22}, u"圧縮長"},
        {u"Label83",          kClient,      Value,      {586, 410, 90, 22}},
        // The loads: total in kgf, total in N, one spring in kgf.
        {u"Label57",          kClient,      Value,      {336, 442, 85, 22}},
        {u"Label48",          kClient,      Head,       {423, 442, 83, 22}, u"合計/kgf"},
        {u"Label50",          kClient,      Head,       {508, 442, 83, 22}, u"合計/N"},
        {u"Label58",          kClient,      Head,       {593, 442, 83, 22}, u"1本/kgf"},
        {u"Label62",          kClient,      Head,       {336, 466, 85, 22}, u"SP 初圧"},
        {u"Label46",          kClient,      Value,      {423, 466, 83, 22}},
        {u"Label59",          kClient,      Value,      {508, 466, 83, 22}},
        {u"Label66",          kClient,      Value,      {593, 466, 83, 22}},
        {u"Label63",          kClient,      Head,       {336, 490, 85, 22}, u"加工開始"},
        {u"Label49",          kClient,      Value,      {423, 490, 83, 22}},
        {u"Label60",          kClient,      Value,      {508, 490, 83, 22}},
        {u"Label67",          kClient,      Value,      {593, 490, 83, 22}},
        {u"Label64",          kClient,      Head,       {336, 514, 85, 22}, u"SP 終圧"},
        {u"Label47",          kClient,      Value,      {423, 514, 83, 22}},
        {u"Label61",          kClient,      Value,      {508, 514, 83, 22}},
        {u"Label68",          kClient,      Value,      {593, 514, 83, 22}},
        // The deflections.
        {u"Label82",          kClient,      Head,       {336, 548, 85, 22}},
        {u"Label69",          kClient,      Head,       {423, 548, 83, 22}, u"初圧"},
        {u"Label72",          kClient,      Head,       {508, 548, 83, 22}, u"加工開"},
        {u"Label74",          kClient,      Head,       {593, 548, 83, 22}, u"終圧"},
        {u"Label65",          kClient,      Head,       {336, 572, 85, 22}, u"タワミ/mm"},
        {u"Label77",          kClient,      DarkValue,  {423, 572, 83, 22}, nullptr, 0xFFFFFF},
        {u"Label78",          kClient,      DarkValue,  {508, 572, 83, 22}, nullptr, 0xFFFFC0},
        {u"Label79",          kClient,      DarkValue,  {593, 572, 83, 22}, nullptr, 0xFFFFFF},
        {u"Label41",          kClient,      Head,       {336, 604, 85, 22}, u"タワミ"},
        {u"Label51",          kClient,      Value,      {423, 604, 83, 22}},
        {u"Label31",          kClient,      Caption,    {510, 604, 30, 22}, u"mm"},
        // --- deflection bars: each with the cover the model sizes, then the tags -------
        {u"Frame2",           kClient,      Group,      {684, 72, px(900), px(3015)}},
        {u"Picture3",         u"Frame2",    Plate,      {px(295), px(240), px(160), px(2460)}, nullptr, 0xE0E0E0},
        {u"Label32",          u"Picture3",  Plate,      {0, 0, px(140), 0}, nullptr, 0xE0E0E0},
        {u"Picture4",         u"Frame2",    Plate,      {px(460), px(240), px(160), px(2460)}, nullptr, 0xE0E0E0},
        {u"Label54",          u"Picture4",  Plate,      {0, 0, px(140), 0}, nullptr, 0xE0E0E0},
        {u"Picture16",        u"Frame2",    Plate,      {px(70), px(2700), px(390), px(225)}, nullptr, 0x0000FF},
        {u"Label70",          u"Picture16", Sign,       {0, 0, px(390), px(225)}, u"MAX", 0xFFFFFF, Font::Tag},
        {u"Picture5",         u"Frame2",    Plate,      {px(460), px(2700), px(375), px(225)}, nullptr, 0xFF0000},
        {u"Label71",          u"Picture5",  Sign,       {0, 0, px(375), px(225)}, u"Fmm", 0xFFFFFF, Font::Tag},
        {u"Label85",          u"Frame2",    Vertical,   {px(120), px(240), px(135), px(1095)}, u"率ミワタ大最", {}, Font::Tiny},
        {u"Label84",          u"Frame2",    Vertical,   {px(670), px(240), px(135), px(2175)}, u"率ミワタるよに数回用使", {}, Font::Tiny},
        // --- the report, and the printers found at the last print (nothing shows them) ---
        {u"Text1",            kClient,      Report,     {748, 72, 260, 574}},
        {u"List3",            kClient,      HiddenList, {684, 290, 60, 60}},
        // --- the banner ---------------------------------------------------------------
        {u"Frame8",           kClient,      Area,       {336, 652, 672, 28}},
        {u"imgMsgBackGround", u"Frame8",    Plate,      {0, 0, 672, 28}, nullptr, 0x281C18},
        {u"lblMsg",           u"Frame8",    Caption,    {8, 0, 656, 28}, u"Tolvane", 0xE0E0E0, Font::Message},
    };
    return places;
}

QString fromTable(const char16_t* text) { return text ? QString::fromUtf16(text) : QString(); }

// A control as its kind makes and dresses it, still without its name.
QWidget* makeControl(const Place& p, QWidget* parent, const QFont& base)
{
    const QString caption = fromTable(p.caption);
    auto label = [&](Qt::Alignment align) {
        auto* l = new QLabel(caption, parent);
        l->setAlignment(align);
        return l;
    };
    auto cell = [&](ColorRef back, ColorRef fore) {
        auto* l = label(Qt::AlignCenter);
        applyBackColor(l, back);
        applyForeColor(l, fore);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        return l;
    };
    QWidget* w = nullptr;
    switch (p.kind) {
    case Kind::Group: w = new QGroupBox(caption, parent); break;
    case Kind::Area: w = new QWidget(parent); break;
    case Kind::Caption: w = label(Qt::AlignLeft | Qt::AlignVCenter); break;
    case Kind::Sign: w = label(Qt::AlignCenter); break;
    case Kind::Head: {
        QLabel* l = label(Qt::AlignCenter);
        applyBackColor(l, 0x6E4628);
        applyForeColor(l, 0xFFFFFF);
        l->setFrameShape(QFrame::Box);
        w = l;
        break;
    }
    case Kind::Value: w = cell(0xFFFFFF, 0x000000); break;
    case Kind::DarkValue: w = cell(0x000000, p.tint.value_or(0x808080)); break;
    case Kind::Box: {
        auto* e = new OneLineBox(parent);
        e->setAlignment(Qt::AlignRight);
        w = e;
        break;
    }
    case Kind::Spin: w = new SpinArrows(parent); break;
    case Kind::Picture: {
        auto* b = new PictureButton(parent);
        if (p.caption)
            b->setToolTip(caption);
        w = b;
        break;
    }
    case Kind::Option: {
        auto* b = new QRadioButton(caption, parent);
        b->setAutoExclusive(false);
        // An option that cannot be chosen shows a grey circle, the grey of a
        // use count not chosen, where the others are white: it reads as off
        // in both looks, which the style's near-white alone does not.
        QPalette pal = b->palette();
        pal.setColor(QPalette::Disabled, QPalette::Base, QColor(0x80, 0x80, 0x80));
        b->setPalette(pal);
        w = b;
        break;
    }
    case Kind::Choice: w = new ChoiceList(parent); break;
    case Kind::Plate: w = new QLabel(parent); break;
    case Kind::Vertical: w = new VerticalLabel(caption, parent); break;
    case Kind::Report: w = new QPlainTextEdit(parent); break;
    case Kind::HiddenList: w = new QListWidget(parent); w->hide(); break;
    }
    if (p.tint && p.kind == Kind::Plate)
        applyBackColor(w, *p.tint);
    else if (p.tint && p.kind != Kind::DarkValue)
        applyForeColor(w, *p.tint);
    if (p.font != Font::Plain)
        w->setFont(fontFor(p.font, base));
    w->setGeometry(p.rect);
    return w;
}

// The kinds whose caption the model holds, where the control is the model's.
constexpr bool holdsCaption(Kind kind)
{
    return kind == Kind::Caption || kind == Kind::Sign || kind == Kind::Head || kind == Kind::Value ||
           kind == Kind::DarkValue;
}

}  // namespace

void MainWindow::buildWindow()
{
    const QFont base = look::programFont();
    setFont(base);

    auto* central = new QWidget(this);
    central->setObjectName(fromTable(kClient));
    central->setFixedSize(1016, 686);
    setCentralWidget(central);

    auto at = [this](Ctl c) { return widgets_[static_cast<int>(c)]; };
    QHash<QString, QWidget*> built{{central->objectName(), central}};
    auto add = [&](const Place& p, const QString& name, QWidget* parent) {
        QWidget* w = makeControl(p, parent, base);
        w->setObjectName(name);
        built.insert(name, w);
        const auto c = controlByName(name);
        if (!c)
            return c;
        widgets_[static_cast<int>(*c)] = w;
        // A caption the model holds starts as designed.
        if (holdsCaption(p.kind) && p.caption && form().text(*c).isEmpty())
            form().setText(*c, fromTable(p.caption));
        return c;
    };
    for (const Place& p : windowPlaces()) {
        const auto c = add(p, fromTable(p.name), built.value(fromTable(p.parent)));
        if (!c)
            continue;
        // A series frame's buttons follow it, in its order in rows of five.
        const auto codes = seriesOrder(*c);
        for (int i = 0; i < int(codes.size()); ++i) {
            const Place button{nullptr, nullptr, Kind::Picture, {8 + 60 * (i % 5), 12 + 31 * (i / 5), 58, 27}};
            add(button, QStringLiteral("img") + QString::fromUtf16(codes[i]), at(*c));
        }
    }

    // The title panel shows the program's version. Once the panel has slid
    // back the version rests further right than at start: it must fit there.
    auto* version = static_cast<QLabel*>(at(Ctl::Label56));
    version->setText(softwareVersionText());
    form().setText(Ctl::Label56, version->text());
    const int start = version->x();
    version->move(px(1380), version->y());
    look::fitCaption(version);
    version->move(start, version->y());

    report_ = static_cast<QPlainTextEdit*>(at(Ctl::Text1));
    report_->setReadOnly(true);
    report_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->viewport()->installEventFilter(this);

    // The banner's own picture fills its frame; its text is never read as markup.
    bannerFrame_ = built.value(QStringLiteral("Frame8"));
    static_cast<QLabel*>(built.value(QStringLiteral("imgMsgBackGround")))->setScaledContents(true);
    static_cast<QLabel*>(built.value(QStringLiteral("lblMsg")))->setTextFormat(Qt::PlainText);

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    setStatusBar(status);
    // As large as the menus, the client area and the status bar, always.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void MainWindow::buildMenus()
{
    auto add = [this](QMenu* menu, const QString& name, const QString& text, void (MainWindow::*handler)(),
                      const QKeySequence& shortcut = {}) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        if (!shortcut.isEmpty())
            a->setShortcut(shortcut);
        connect(a, &QAction::triggered, this, handler);
        menuActions_.insert(name, a);
        if (const auto c = controlByName(name))
            actions_[static_cast<int>(*c)] = a;
        return a;
    };
    auto separator = [this](QMenu* menu, const QString& name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(name);
        menuActions_.insert(name, a);
    };
    auto top = [this](const QString& name, const QString& text) {
        QMenu* m = menuBar()->addMenu(text);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        menuActions_.insert(name, m->menuAction());
        return m;
    };

    QMenu* file = top(QStringLiteral("mnuFile"), QStringLiteral("ファイル(&F)"));
    add(file, QStringLiteral("mnuSave2"), QStringLiteral("名前を付けて保存(&A)"), &MainWindow::mnuSave2_Click);
    add(file, QStringLiteral("mnuDxf"), QStringLiteral("DXF 出力"), &MainWindow::mnuDxf_Click);
    separator(file, QStringLiteral("mnuLine1"));
    add(file, QStringLiteral("mnuPrinter"), QStringLiteral("印刷設定"), &MainWindow::mnuPrinter_Click);
    add(file, QStringLiteral("mnuPrint"), QStringLiteral("印刷(&P)"), &MainWindow::mnuPrint_Click, QKeySequence(QStringLiteral("Ctrl+P")));
    separator(file, QStringLiteral("mnuLine2"));
    add(file, QStringLiteral("mnuEnd"), QStringLiteral("終了(&X)"), &MainWindow::mnuEnd_Click);

    QMenu* edit = top(QStringLiteral("mnuEdit"), QStringLiteral("編集(&E)"));
    add(edit, QStringLiteral("mnuTEXT"), QStringLiteral("テキスト画面に表示"), &MainWindow::mnuTEXT_Click);
    add(edit, QStringLiteral("mnuCria"), QStringLiteral("すべて クリア"), &MainWindow::mnuCria_Click);
    separator(edit, QStringLiteral("mnuLine6"));
    add(edit, QStringLiteral("mnuCut"), QStringLiteral("切り取り(&T)"), &MainWindow::mnuCut_Click, QKeySequence(QStringLiteral("Ctrl+X")));
    add(edit, QStringLiteral("mnuCopy"), QStringLiteral("コピー(&C)"), &MainWindow::mnuCopy_Click, QKeySequence(QStringLiteral("Ctrl+C")));
    separator(edit, QStringLiteral("mnuLine4"));
    add(edit, QStringLiteral("mnuAllsel"), QStringLiteral("すべて選択"), &MainWindow::mnuAllsel_Click);

    QMenu* tool = top(QStringLiteral("mnuTool"), QStringLiteral("ツール(&T)"));
    add(tool, QStringLiteral("mnuDentaku"), QStringLiteral("電卓"), &MainWindow::mnuDentaku_Click);
    QMenu* skin = tool->addMenu(QStringLiteral("スキン切替"));
    skin->setObjectName(QStringLiteral("mnuSkin"));
    skin->menuAction()->setObjectName(QStringLiteral("mnuSkin"));
    menuActions_.insert(QStringLiteral("mnuSkin"), skin->menuAction());
    add(skin, QStringLiteral("mnuLight"), QStringLiteral("Light"), &MainWindow::mnuLight_Click);
    add(skin, QStringLiteral("mnuDark"), QStringLiteral("Dark"), &MainWindow::mnuDark_Click);

    QMenu* help = top(QStringLiteral("mnuHelp"), QStringLiteral("ヘルプ(&H)"));
    add(help, QStringLiteral("mnuProgram"), QStringLiteral("使い方"), &MainWindow::mnuProgram_Click);
    separator(help, QStringLiteral("mnuLine8"));
    add(help, QStringLiteral("mnuHome"), QStringLiteral("Vorn X ホームページ"), &MainWindow::mnuHome_Click);
    separator(help, QStringLiteral("mnuLine7"));
    add(help, QStringLiteral("mnuVer"), QStringLiteral("バージョン情報"), &MainWindow::mnuVer_Click);
}

}  // namespace tolvane
