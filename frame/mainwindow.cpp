#include "frame/mainwindow.h"

#include "calc/spdata.h"
#include "calc/springrecord.h"
#include "catalogue/catalogue.h"
#include "frame/banner.h"
#include "frame/fixedframe.h"
#include "frame/instancelock.h"
#include "frame/look.h"
#include "frame/printlayout.h"
#include "frame/splash.h"
#include "frame/webservers.h"
#include "frame/widgets.h"
#include "services/atomicfile.h"
#include "services/clock.h"
#include "services/folders.h"
#include "services/inifile.h"
#include "services/log.h"
#include "services/vberror.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSessionManager>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTextCursor>
#include <QThread>
#include <QTimer>

#include <optional>
#include <span>

namespace tolvane {

namespace {

const QString kOwner = QStringLiteral("frmMain");

// What a missing dialog, banner or control raises.
VbError objectRequired() { return VbError(424, QStringLiteral("オブジェクトが必要です。")); }
const QString kStartLine = QStringLiteral("□------------------------ Tolvane 起動処理開始 ------------------------□");
const QString kEndLine = QStringLiteral("■----------------------------- Tolvane 終了 -----------------------------■");

// The model keeps places and sizes in twips, fifteen to a pixel.
constexpr int px(int twips) { return (twips + 7) / 15; }

// A box the input mode turns off shows Active Border as a fixed grey of our
// own rather than the desktop's, so it reads as off whatever the palette.
QColor toQColor(ColorRef v)
{
    return v == kSysActiveBorder ? QColor(0xB4, 0xB4, 0xB4) : look::vbColor(v);
}

// A box the input mode turns off shows its text in one grey, readable on
// that grey face in both skins and plainly off beside a box in use.
const QColor kOffText(0x50, 0x50, 0x50);

// Boxes and lists draw on their base colour; everything else on the window
// colour. Only those roles change, so a frame's colours do not reach into
// the boxes and lists inside it.
bool drawsOnBase(const QWidget* w)
{
    return w->inherits("QLineEdit") || w->inherits("QAbstractScrollArea");
}

void applyForeColor(QWidget* w, ColorRef v)
{
    QPalette pal = w->palette();
    const QColor c = toQColor(v);
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, drawsOnBase(w) ? QPalette::Text : QPalette::WindowText, c);
        pal.setColor(group, w->foregroundRole(), c);
    }
    w->setPalette(pal);
    w->setProperty("foreColorRef", QVariant::fromValue<qulonglong>(v));
}

void applyBackColor(QWidget* w, ColorRef v)
{
    QPalette pal = w->palette();
    const QColor c = toQColor(v);
    // Buttons fill with their own role rather than the window's.
    pal.setColor(drawsOnBase(w) ? QPalette::Base : w->backgroundRole(), c);
    w->setPalette(pal);
    if (!drawsOnBase(w))
        w->setAutoFillBackground(true);
    w->setProperty("backColorRef", QVariant::fromValue<qulonglong>(v));
}

// The report box shows one character per line end; the model keeps CR LF.
QString toWidgetText(QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

int toWidgetPos(const QString& modelText, int modelPos)
{
    int pos = 0;
    for (int i = 0; i < modelPos && i < modelText.size(); ++i) {
        if (modelText[i] == QLatin1Char('\r') && i + 1 < modelText.size() && modelText[i + 1] == QLatin1Char('\n'))
            continue;
        ++pos;
    }
    return pos;
}

int toModelPos(const QString& modelText, int widgetPos)
{
    int i = 0;
    for (int pos = 0; pos < widgetPos && i < modelText.size(); ++pos) {
        if (modelText[i] == QLatin1Char('\r') && i + 1 < modelText.size() && modelText[i + 1] == QLatin1Char('\n'))
            ++i;
        ++i;
    }
    return i;
}

const QStringList kToolbar = {QStringLiteral("imgDisplayTxt"), QStringLiteral("imgSelectAll"),
                              QStringLiteral("imgCopy"),       QStringLiteral("imgClearData"),
                              QStringLiteral("imgAllClear"),   QStringLiteral("imgOutputDXF"),
                              QStringLiteral("imgTotalOutput"), QStringLiteral("imgHowToUse")};
const QStringList kToolbarStems = {QStringLiteral("display_txt"), QStringLiteral("select_all"),
                                   QStringLiteral("copy"),        QStringLiteral("clear_data"),
                                   QStringLiteral("all_clear"),   QStringLiteral("output_dxf"),
                                   QStringLiteral("output_dxf_total"), QStringLiteral("howToUse")};

// The series frames' buttons, upper row then lower row.
const QStringList kFrame4 = {QStringLiteral("SWY"), QStringLiteral("SWU"), QStringLiteral("SWR"), QStringLiteral("SWS"),
                             QStringLiteral("SWC"), QStringLiteral("SWF"), QStringLiteral("SWL"), QStringLiteral("SWM"),
                             QStringLiteral("SWH"), QStringLiteral("SWB")};
const QStringList kFrame6 = {QStringLiteral("SWG"), QStringLiteral("SWZ"), QStringLiteral("SWV"), QStringLiteral("SWX")};
const QStringList kFrame5 = {QStringLiteral("WY"), QStringLiteral("WR"), QStringLiteral("WF"), QStringLiteral("WL"),
                             QStringLiteral("WT"), QStringLiteral("WM"), QStringLiteral("WH"), QStringLiteral("WB")};

// The input boxes that select their text on focus, and the Enter chain.
const std::array<Ctl, 9> kInputBoxes = {Ctl::Text2, Ctl::Text4, Ctl::Text5, Ctl::Text8, Ctl::Text9,
                                        Ctl::Text3, Ctl::Text10, Ctl::Text11, Ctl::Text12};

void drawRing(QWidget* on, int width)
{
    QPainter painter(on);
    const QColor ring = on->palette().color(QPalette::Active, QPalette::Highlight);
    const QRect r = on->rect();
    for (const QRect& side : {QRect(r.left(), r.top(), r.width(), width), QRect(r.left(), r.bottom() - width + 1, r.width(), width),
                              QRect(r.left(), r.top(), width, r.height()), QRect(r.right() - width + 1, r.top(), width, r.height())})
        painter.fillRect(side, ring);
}

// The size and diameter lists: only the user chooses an entry, by a click,
// the arrow keys or Enter. By itself the item view makes its first entry
// current when the focus comes in by the keyboard, which the lists would
// take as a choice: a Shift+Tab through them would empty the spring data.
class ChoiceList final : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void(int row)> enterPressed;

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        const bool noneCurrent = currentRow() < 0;
        const QSignalBlocker block(this);
        QListWidget::focusInEvent(event);
        // With none current, the first arrow key goes to the first entry.
        if (noneCurrent)
            setCurrentRow(-1);
    }
    // The list with the keyboard focus wears a ring of the highlight colour,
    // two pixels wide: its frame and the edge of its entries' area. It reads
    // plainly against the list's white and either skin around it.
    bool event(QEvent* event) override
    {
        const bool done = QListWidget::event(event);
        if (event->type() == QEvent::Paint && hasFocus())
            drawRing(this, frameWidth());
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            update();
            viewport()->update();
        }
        return done;
    }
    void paintEvent(QPaintEvent* event) override
    {
        QListWidget::paintEvent(event);
        if (hasFocus())
            drawRing(viewport(), qMax(1, 2 - frameWidth()));
    }
    // A scroll moves what the entries' area shows, the ring's edge with it.
    void scrollContentsBy(int dx, int dy) override
    {
        QListWidget::scrollContentsBy(dx, dy);
        if (hasFocus())
            viewport()->update();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && currentRow() >= 0 && enterPressed) {
            enterPressed(currentRow());
            event->accept();
            return;
        }
        QListWidget::keyPressEvent(event);
    }
};

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
// The series frames take turns at one place.
constexpr QRect kSeriesPlace(px(120), px(4440), 316, 76);

// Every control in the order it is made, which is also the order the Tab key
// follows and the order they are drawn in: later ones on top.
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
        // --- series frames, all at one place: buttons in rows of five ---------------
        {u"Frame4",           kClient,      Group,      kSeriesPlace},
        {u"imgSWY",           u"Frame4",    Picture,    {8, 12, 58, 27}},
        {u"imgSWU",           u"Frame4",    Picture,    {68, 12, 58, 27}},
        {u"imgSWR",           u"Frame4",    Picture,    {128, 12, 58, 27}},
        {u"imgSWS",           u"Frame4",    Picture,    {188, 12, 58, 27}},
        {u"imgSWC",           u"Frame4",    Picture,    {248, 12, 58, 27}},
        {u"imgSWF",           u"Frame4",    Picture,    {8, 43, 58, 27}},
        {u"imgSWL",           u"Frame4",    Picture,    {68, 43, 58, 27}},
        {u"imgSWM",           u"Frame4",    Picture,    {128, 43, 58, 27}},
        {u"imgSWH",           u"Frame4",    Picture,    {188, 43, 58, 27}},
        {u"imgSWB",           u"Frame4",    Picture,    {248, 43, 58, 27}},
        {u"Frame5",           kClient,      Group,      kSeriesPlace},
        {u"imgWY",            u"Frame5",    Picture,    {8, 12, 58, 27}},
        {u"imgWR",            u"Frame5",    Picture,    {68, 12, 58, 27}},
        {u"imgWF",            u"Frame5",    Picture,    {128, 12, 58, 27}},
        {u"imgWL",            u"Frame5",    Picture,    {188, 12, 58, 27}},
        {u"imgWT",            u"Frame5",    Picture,    {248, 12, 58, 27}},
        {u"imgWM",            u"Frame5",    Picture,    {8, 43, 58, 27}},
        {u"imgWH",            u"Frame5",    Picture,    {68, 43, 58, 27}},
        {u"imgWB",            u"Frame5",    Picture,    {128, 43, 58, 27}},
        {u"Frame6",           kClient,      Group,      kSeriesPlace},
        {u"imgSWG",           u"Frame6",    Picture,    {8, 12, 58, 27}},
        {u"imgSWZ",           u"Frame6",    Picture,    {68, 12, 58, 27}},
        {u"imgSWV",           u"Frame6",    Picture,    {128, 12, 58, 27}},
        {u"imgSWX",           u"Frame6",    Picture,    {188, 12, 58, 27}},
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
        auto* e = new QLineEdit(parent);
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

// ============================================================================
// Building the window
// ============================================================================

MainWindow::MainWindow(FramePorts ports, QWidget* parent) : QMainWindow(parent), ports_(std::move(ports))
{
    setObjectName(kOwner);
    setFixedFrame(this);
    setWindowTitle(QStringLiteral("Tolvane"));
    model_ = std::make_unique<CalcModel>(*ports_.ui, static_cast<CalcScreen&>(*this));
    saveDialog_.title = QStringLiteral("名前を付けて保存");
    saveDialog_.filter = QStringLiteral("テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*");
    saveDialog_.filterIndex = 1;
    saveDialog_.defaultExt = QStringLiteral("txt");
    slideTimer_ = new QTimer(this);
    slideTimer_->setInterval(16);
    slideTimer_->setTimerType(Qt::PreciseTimer);
    connect(slideTimer_, &QTimer::timeout, this, [this] { playSlide(); });
    buildWindow();
    buildMenus();
    wireModel();
    if (ports_.hooks.makeBanner)
        installBanner(ports_.hooks.makeBanner(*this));
    // A maker's catalogue file read for the first time after a change takes
    // a moment on the window's thread.
    setConversionObserver([ui = ports_.ui](bool converting) { ui->setWaitCursor(converting); });
    if (qApp)
        connect(qApp, &QGuiApplication::commitDataRequest, this, &MainWindow::onCommitData);
}

MainWindow::~MainWindow()
{
    setConversionObserver({});
    form().setObserver({});
}

QWidget* MainWindow::control(const QString& name) const
{
    if (objectName() == name)
        return const_cast<MainWindow*>(this);
    return findChild<QWidget*>(name);
}

QAction* MainWindow::menuAction(const QString& name) const { return menuActions_.value(name); }

QLabel* MainWindow::bannerLabel() const { return findChild<QLabel*>(QStringLiteral("lblMsg")); }

void MainWindow::installBanner(QWidget* banner)
{
    // The banner brings its own background and text label.
    for (const char* placeholder : {"imgMsgBackGround", "lblMsg"})
        delete bannerFrame_->findChild<QWidget*>(QString::fromLatin1(placeholder));
    banner->setParent(bannerFrame_);
    banner->setGeometry(bannerFrame_->rect());
    banner->show();
}

void MainWindow::buildWindow()
{
    const QFont base = look::programFont();
    setFont(base);

    auto* central = new QWidget(this);
    central->setObjectName(fromTable(kClient));
    central->setFixedSize(1016, 686);
    setCentralWidget(central);

    QHash<QString, QWidget*> built{{central->objectName(), central}};
    for (const Place& p : windowPlaces()) {
        QWidget* w = makeControl(p, built.value(fromTable(p.parent)), base);
        w->setObjectName(fromTable(p.name));
        built.insert(w->objectName(), w);
        const auto c = controlByName(w->objectName());
        if (!c)
            continue;
        widgets_[static_cast<int>(*c)] = w;
        // A caption the model holds starts as designed.
        if (holdsCaption(p.kind) && p.caption && form().text(*c).isEmpty())
            form().setText(*c, fromTable(p.caption));
    }
    auto at = [this](Ctl c) { return widgets_[static_cast<int>(c)]; };

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

    // Design state the model's procedures rely on.
    form().setHeight(Ctl::Picture3, 2460);
    form().setHeight(Ctl::Picture4, 2460);
    form().setLeft(Ctl::Label55, 135);
    form().setLeft(Ctl::Label56, 1080);
    form().setVisible(Ctl::Frame5, false);
    form().setVisible(Ctl::Frame6, false);
    for (Ctl c : {Ctl::imgSelectAll, Ctl::imgCopy, Ctl::imgOutputDXF})
        form().setEnabled(c, false);
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

// ============================================================================
// Mirroring the model and forwarding the user's edits
// ============================================================================

void MainWindow::wireModel()
{
    form().setObserver([this](Ctl c, Prop p) { mirror(c, p); });

    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        QWidget* w = widgets_[i];
        if (!w)
            continue;
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            QPalette pal = e->palette();
            pal.setColor(QPalette::Disabled, QPalette::Text, kOffText);
            e->setPalette(pal);
            connect(e, &QLineEdit::textEdited, this, [this, c](const QString& text) { model_->userTyped(c, text); });
        } else if (auto* r = qobject_cast<QRadioButton*>(w)) {
            connect(r, &QRadioButton::clicked, this, [this, c, r] {
                {
                    // The model decides the selection; undo the button's own toggle.
                    const QSignalBlocker block(r);
                    r->setChecked(form()[c].value);
                }
                model_->userClickedOption(c);
            });
        } else if (auto* l = qobject_cast<QListWidget*>(w)) {
            // An entry reached with the arrow keys is chosen at once, as by a
            // click, so the spring data always belongs to the entry shown as
            // chosen; a click on the entry already chosen, or Enter, chooses
            // it again. The model's own changes come under a signal blocker.
            connect(l, &QListWidget::currentRowChanged, this, [this, c, l](int row) {
                l->setProperty("rowChangedByPress", true);
                if (row >= 0)
                    model_->userClickedList(c, row);
            });
            connect(l, &QListWidget::itemClicked, this, [this, c, l](QListWidgetItem* item) {
                if (!l->property("rowChangedByPress").toBool())
                    model_->userClickedList(c, l->row(item));
            });
            l->viewport()->installEventFilter(this);
            if (auto* choice = dynamic_cast<ChoiceList*>(l))
                choice->enterPressed = [this, c](int row) { model_->userClickedList(c, row); };
        } else if (auto* s = qobject_cast<SpinArrows*>(w)) {
            connect(s, &SpinArrows::stepped, this, [this, c](int step) { model_->userSpin(c, step); });
        }
    }

    // Picture buttons of the toolbar: pressed and released looks, then the click.
    for (int i = 0; i < kToolbar.size(); ++i) {
        auto* b = findChild<PictureButton*>(kToolbar[i]);
        const QString name = kToolbar[i];
        const QString stem = kToolbarStems[i];
        connect(b, &PictureButton::pressed, this, [this, name, stem] { pressPicture(name, stem, true); });
        connect(b, &PictureButton::released, this, [this, name, stem] { pressPicture(name, stem, false); });
    }
    auto onClick = [this](const QString& name, auto handler) {
        connect(findChild<PictureButton*>(name), &PictureButton::clicked, this, handler);
    };
    onClick(QStringLiteral("imgDisplayTxt"), [this] { model_->imgDisplayTxt_Click(); });
    onClick(QStringLiteral("imgSelectAll"), [this] { imgSelectAll_Click(); });
    onClick(QStringLiteral("imgCopy"), [this] { imgCopy_Click(); });
    onClick(QStringLiteral("imgClearData"), [this] { imgClearData_Click(); });
    onClick(QStringLiteral("imgAllClear"), [this] { imgAllClear_Click(); });
    onClick(QStringLiteral("imgOutputDXF"), [this] { imgOutputDXF_Click(); });
    onClick(QStringLiteral("imgTotalOutput"), [this] { imgTotalOutput_Click(); });
    onClick(QStringLiteral("imgHowToUse"), [this] { imgHowToUse_Click(); });
    onClick(QStringLiteral("imgRoundSp"), [this] { model_->kindClicked(QStringLiteral("M1")); });
    onClick(QStringLiteral("imgSquare1Sp"), [this] { model_->kindClicked(QStringLiteral("K1")); });
    onClick(QStringLiteral("imgSquare2Sp"), [this] { model_->kindClicked(QStringLiteral("K2")); });
    for (const QStringList* codes : {&kFrame4, &kFrame5, &kFrame6})
        for (const QString& code : *codes)
            onClick(QStringLiteral("img") + code, [this, code] { model_->seriesClicked(code); });

    for (Ctl c : kInputBoxes)
        widgets_[static_cast<int>(c)]->installEventFilter(this);

    mirrorAll();
}

void MainWindow::mirrorAll()
{
    for (int i = 0; i < kControlCount; ++i) {
        const Ctl c = static_cast<Ctl>(i);
        for (Prop p : {Prop::Text, Prop::Enabled, Prop::Visible, Prop::Value, Prop::Picture, Prop::Items})
            mirror(c, p);
    }
}

void MainWindow::mirror(Ctl c, Prop p)
{
    const ControlState& s = form()[c];
    if (QAction* a = actions_[static_cast<int>(c)]) {
        if (p == Prop::Enabled)
            a->setEnabled(s.enabled);
        else if (p == Prop::Visible)
            a->setVisible(s.visible);
        return;
    }
    QWidget* w = widgets_[static_cast<int>(c)];
    if (!w)
        return;
    if (queueSlideStep(c, p))
        return;
    const QSignalBlocker block(w);
    switch (p) {
    case Prop::Text:
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            if (e->text() != s.text)
                e->setText(s.text);
        } else if (w == report_) {
            if (report_->toPlainText() != toWidgetText(s.text)) {
                // Lines are appended one by one: keep the view where it is.
                const int scroll = report_->verticalScrollBar()->value();
                report_->setPlainText(toWidgetText(s.text));
                report_->verticalScrollBar()->setValue(scroll);
            }
        } else if (auto* r = qobject_cast<QRadioButton*>(w)) {
            r->setText(s.text.isEmpty() ? r->text() : s.text);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            if (!qobject_cast<PictureButton*>(w))
                l->setText(s.text);
        }
        break;
    case Prop::Enabled:
        w->setEnabled(s.enabled);
        break;
    case Prop::Visible:
        w->setVisible(s.visible);
        break;
    case Prop::ForeColor:
        applyForeColor(w, s.foreColor);
        break;
    case Prop::BackColor:
        applyBackColor(w, s.backColor);
        break;
    case Prop::Value:
        if (auto* r = qobject_cast<QRadioButton*>(w))
            r->setChecked(s.value);
        break;
    case Prop::Left:
        w->move(px(s.left), w->y());
        break;
    case Prop::Height:
        w->resize(w->width(), px(s.height));
        break;
    case Prop::Picture:
        if (auto* b = qobject_cast<PictureButton*>(w); b && !s.picture.isEmpty()) {
            const QPixmap pixmap(ProgramFolder() + QLatin1Char('/') + s.picture);
            if (!pixmap.isNull())
                b->showPicture(pixmap, s.picture);
        }
        break;
    case Prop::Items:
        if (auto* l = qobject_cast<QListWidget*>(w)) {
            l->clear();
            l->addItems(s.items);
        }
        break;
    case Prop::ListIndex:
        if (auto* l = qobject_cast<QListWidget*>(w))
            l->setCurrentRow(s.listIndex);
        break;
    case Prop::Selection:
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->setSelection(s.selStart, s.selLength);
        } else if (w == report_) {
            QTextCursor cursor = report_->textCursor();
            const int start = toWidgetPos(s.text, s.selStart);
            const int end = toWidgetPos(s.text, s.selStart + s.selLength);
            cursor.setPosition(start);
            cursor.setPosition(end, QTextCursor::KeepAnchor);
            report_->setTextCursor(cursor);
        }
        break;
    case Prop::Spin:
        w->setProperty("spinMin", s.spinMin);
        w->setProperty("spinMax", s.spinMax);
        w->setProperty("spinValue", s.spinValue);
        break;
    }
}

// While the window shows, the slide's steps (the labels' lefts and the
// panel's hiding at its end) wait their turn; anything else the user does
// meanwhile applies at once, as the model already stands past the slide.
bool MainWindow::queueSlideStep(Ctl c, Prop p)
{
    const bool label = (c == Ctl::Label55 || c == Ctl::Label56) && p == Prop::Left;
    const bool panel = c == Ctl::Picture6 && p == Prop::Visible;
    if (!label && !panel)
        return false;
    if (!isVisible()) {
        playSlide(true);
        return false;
    }
    if (panel && slideSteps_.empty())
        return false;
    const int value = label ? form()[c].left : int(form()[c].visible);
    // Twips within one pixel look the same: one step holds them all, with
    // their paces added up.
    if (label && !slideSteps_.empty() && slideSteps_.back().control == c && px(slideSteps_.back().value) == px(value))
        slideSteps_.back().value = value;
    else
        slideSteps_.push_back({c, value});
    if (!slideTimer_->isActive()) {
        slideClock_.start();
        slideShownNs_ = 0;
        slideTimer_->start();
    }
    return true;
}

void MainWindow::paceSlide(Ctl label)
{
    // The panel moves one twip a step, the name ten times slower than the
    // version text.
    if (!slideSteps_.empty())
        slideSteps_.back().paceNs += label == Ctl::Label55 ? 100000 : 10000;
}

void MainWindow::playSlide(bool all)
{
    const qint64 now = all ? 0 : slideClock_.nsecsElapsed();
    while (!slideSteps_.empty() && (all || slideShownNs_ <= now)) {
        const SlideStep step = slideSteps_.front();
        slideSteps_.pop_front();
        QWidget* w = widgets_[static_cast<int>(step.control)];
        if (step.control == Ctl::Picture6)
            w->setVisible(step.value != 0);
        else
            w->move(px(step.value), w->y());
        slideShownNs_ += step.paceNs;
    }
    if (slideSteps_.empty())
        slideTimer_->stop();
}

void MainWindow::setFocus(Ctl box)
{
    if (QWidget* w = widgets_[static_cast<int>(box)])
        w->setFocus(Qt::OtherFocusReason);
}

QString MainWindow::selectedReportText() const
{
    const QTextCursor cursor = report_->textCursor();
    const QString text = form()[Ctl::Text1].text;
    const int start = toModelPos(text, cursor.selectionStart());
    const int end = toModelPos(text, cursor.selectionEnd());
    return text.mid(start, end - start);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        // A press that changes a list's row has chosen it; its click then does not again.
        if (auto* list = qobject_cast<QListWidget*>(watched->parent()); list && watched == list->viewport())
            list->setProperty("rowChangedByPress", false);
    }
    if (watched == report_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        model_->Text1_Click(selectedReportText());
        return false;
    }
    for (Ctl c : kInputBoxes) {
        if (watched != widgets_[static_cast<int>(c)])
            continue;
        if (event->type() == QEvent::FocusIn) {
            model_->boxGotFocus(c);
            // A mouse press places the caret after the focus arrives; select again once it has.
            QTimer::singleShot(0, this, [this, c] {
                if (widgets_[static_cast<int>(c)]->hasFocus())
                    mirror(c, Prop::Selection);
            });
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
                return false;
            const std::optional<Ctl> next = model_->enterTarget(c);
            if (!next)
                return false;  // the chain ends at the bite and the distance
            try {
                widgets_[static_cast<int>(*next)]->setFocus(Qt::TabFocusReason);
            } catch (const VbError& e) {
                logError(errorLabel(kOwner, QStringLiteral("MoveFocus")), e);
            }
            return true;
        }
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ============================================================================
// Pictures and colours
// ============================================================================

void MainWindow::setPicture(const QString& control, const QString& file)
{
    const QPixmap pixmap = look::loadMaterialPicture(file);
    if (const auto c = controlByName(control)) {
        form().setPicture(*c, QStringLiteral("materials/") + file);
        return;
    }
    QWidget* w = this->control(control);
    if (auto* b = qobject_cast<PictureButton*>(w))
        b->showPicture(pixmap, QStringLiteral("materials/") + file);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setPixmap(pixmap);
    else
        throw objectRequired();
}

void MainWindow::setButton(Ctl button, bool enabled, const QString& stem)
{
    form().setEnabled(button, enabled);
    setPicture(controlName(button), stem + (enabled ? QStringLiteral("_off.gif") : QStringLiteral("_disable.gif")));
}

void MainWindow::setColor(const QString& control, bool fore, ColorRef color)
{
    if (const auto c = controlByName(control)) {
        if (fore)
            form().setForeColor(*c, color);
        else
            form().setBackColor(*c, color);
        return;
    }
    QWidget* w = control == objectName() ? centralWidget() : this->control(control);
    if (!w)
        throw objectRequired();
    if (fore)
        applyForeColor(w, color);
    else
        applyBackColor(w, color);
    if (control == objectName())
        setProperty(fore ? "foreColorRef" : "backColorRef", QVariant::fromValue<qulonglong>(color));
}

void MainWindow::pressPicture(const QString& button, const QString& stem, bool down)
{
    try {
        setPicture(button, stem + (down ? QStringLiteral("_on.gif") : QStringLiteral("_off.gif")));
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, button + (down ? QStringLiteral("_MouseDown") : QStringLiteral("_MouseUp"))), e);
    }
}

void MainWindow::SelectSkin()
{
    try {
        const look::SkinColours skin = look::skinColours();
        const bool light = skin.light;
        const ColorRef face = skin.face;
        const ColorRef text = skin.text;
        setColor(objectName(), false, face);
        for (int i = 1; i <= 7; ++i)
            setColor(QStringLiteral("Frame%1").arg(i), false, face);
        const QStringList options = {QStringLiteral("Option1"), QStringLiteral("Option2"), QStringLiteral("Option13"),
                                     QStringLiteral("Option14"), QStringLiteral("Option15")};
        for (const QString& o : options)
            setColor(o, false, face);
        setColor(QStringLiteral("Text1"), false, light ? 0xFFFFFF : 0x303030);

        for (const QString& f : {QStringLiteral("Frame1"), QStringLiteral("Frame2"), QStringLiteral("Frame7")})
            setColor(f, true, text);
        for (const QString& o : options)
            setColor(o, true, text);
        setColor(QStringLiteral("Text1"), true, light ? 0x80000008 : 0xFFFFFF);
        for (int i = 1; i <= 20; ++i)
            setColor(QStringLiteral("Label%1").arg(i), true, text);
        for (const QString& l : {QStringLiteral("Label31"), QStringLiteral("Label37"), QStringLiteral("Label52"),
                                 QStringLiteral("Label53")})
            setColor(l, true, text);
        setColor(QStringLiteral("Label80"), true, light ? 0xFF8080 : 0xFFFFFF);
        setColor(QStringLiteral("Label81"), true, light ? 0xFF0000 : 0xFF8080);
        setColor(QStringLiteral("Label84"), true, text);
        setColor(QStringLiteral("Label85"), true, text);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("SelectSkin")), e);
    }
}

namespace {

// The button pictures LoadImages gives, in its order: control and file.
QList<std::pair<QString, QString>> startPictures()
{
    QList<std::pair<QString, QString>> rows = {{QStringLiteral("imgRoundSp"), QStringLiteral("round_sp_off.gif")},
                                               {QStringLiteral("imgSquare1Sp"), QStringLiteral("square_sp1_off.gif")},
                                               {QStringLiteral("imgSquare2Sp"), QStringLiteral("square_sp2_off.gif")}};
    for (const QStringList* codes : {&kFrame5, &kFrame4, &kFrame6})
        for (const QString& code : *codes)
            rows.append({QStringLiteral("img") + code, code + QStringLiteral("_off.gif")});
    rows += {{QStringLiteral("imgDisplayTxt"), QStringLiteral("display_txt_off.gif")},
             {QStringLiteral("imgSelectAll"), QStringLiteral("select_all_disable.gif")},
             {QStringLiteral("imgCopy"), QStringLiteral("copy_disable.gif")},
             {QStringLiteral("imgOutputDXF"), QStringLiteral("output_dxf_disable.gif")},
             {QStringLiteral("imgTotalOutput"), QStringLiteral("output_dxf_total_off.gif")},
             {QStringLiteral("imgClearData"), QStringLiteral("clear_data_off.gif")},
             {QStringLiteral("imgAllClear"), QStringLiteral("all_clear_off.gif")},
             {QStringLiteral("imgHowToUse"), QStringLiteral("howToUse_off.gif")}};
    return rows;
}

const QString kBannerBackground = QStringLiteral("back_msg.gif");
const QString kChosenKind = QStringLiteral("square_sp1_on.gif");

}  // namespace

void MainWindow::preloadPictures()
{
    QStringList files = {kBannerBackground, kChosenKind};
    for (const auto& row : startPictures())
        files.append(row.second);
    // Each load is the one the window's would be; the pixmap cache keeps it
    // while the file stays as it is.
    for (const QString& file : files)
        QPixmap(MaterialsFolder() + u'/' + file);
}

void MainWindow::LoadImages()
{
    try {
        for (const auto& [control, file] : startPictures())
            setPicture(control, file);
        if (ports_.hooks.loadBannerBackground)
            ports_.hooks.loadBannerBackground();
        else
            setPicture(QStringLiteral("imgMsgBackGround"), kBannerBackground);

        linkCursor_ = look::loadMaterialCursor(QStringLiteral("cursor.cur"));
        control(QStringLiteral("imgHowToUse"))->setCursor(linkCursor_);
        if (ports_.hooks.loadBannerCursor)
            ports_.hooks.loadBannerCursor();
        else if (QLabel* msg = bannerLabel())
            msg->setCursor(linkCursor_);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("LoadImages")), e);
    }
}

// ============================================================================
// Start-up
// ============================================================================

StartResult MainWindow::startUp()
{
    try {
        ExistSettingFolder();
        ExistLogFolder();
        ExistIniFile();
        WriteEventLog(kStartLine);
        SkinName() = GetINIValue(QStringLiteral("Design"), QStringLiteral("FORM_SKIN"));
        SelectSkin();

        if (!ExistMaterialsFolder()) {
            const QString cr = QStringLiteral("\r");
            ports_.ui->msgBox(ProgramFolder() + QStringLiteral("内に、") + cr + QStringLiteral("materials") +
                                  QStringLiteral("フォルダが存在しない為、Tolvaneを起動できません。") + cr +
                                  QStringLiteral("フォルダ（及びフォルダ内のファイル）を正しく配置するか、本ソフトウェアを再インストールしてください。") + cr,
                              kMbInformation, QString());
            WriteEventLog(ProgramFolder() + QStringLiteral("内に") + QStringLiteral("materials") + QStringLiteral("が存在しない。"));
            WriteEventLog(kEndLine);
            ended_ = true;
            return StartResult::Stop;
        }

        LoadImages();
        if (ports_.hooks.startBannerTicks)
            ports_.hooks.startBannerTicks();
        WriteEventLog(QStringLiteral("設定読込完了"));

        // Held as long as the window lives, that is until the program ends.
        lock_ = std::make_unique<InstanceLock>(ports_.lockFilePath);
        const InstanceLock::Result locked = lock_->acquire();
        // Events, not errors: the start goes on either way.
        const QString unmade = QStringLiteral("起動中の確認用ファイル [ ") + lock_->unavailable().join(QStringLiteral(" ]、[ "))
                               + QStringLiteral(" ] を作成できないため、");
        switch (locked) {
        case InstanceLock::Result::Acquired:
            if (!lock_->unavailable().isEmpty())
                WriteEventLog(unmade + QStringLiteral("[ ") + lock_->path() + QStringLiteral(" ] で確認します。"));
            break;
        case InstanceLock::Result::AlreadyRunning:
            ports_.ui->msgBox(QStringLiteral("すでに「") + kProgramTitle + QStringLiteral("」は起動されています。"), kMbExclamation,
                              kProgramTitle);
            ended_ = true;
            return StartResult::Stop;
        case InstanceLock::Result::Unavailable:
            // Without a lock a second copy goes unnoticed, which costs far
            // less than a program that never starts.
            WriteEventLog(unmade + QStringLiteral("確認せずに起動します。"));
            break;
        }

        {
            SplashWindow splash;
            splash.show();
            if (ports_.splashWait) {
                // Let the window system map it before the wait holds the thread.
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            }
            splash.repaint();
            splash.unload(ports_.splashWait);
            splash.close();
        }

        // Series frames share one place; the kind "K1" shows as chosen.
        for (Ctl f : {Ctl::Frame4, Ctl::Frame5, Ctl::Frame6})
            widgets_[static_cast<int>(f)]->move(px(120), px(4440));
        setPicture(QStringLiteral("imgSquare1Sp"), kChosenKind);

        // Paths, bars, values, menus and the input mode.
        model_->startUpDefaults();
        startDate_ = clock().now().toString(QStringLiteral("yyyy/MM/dd H:mm:ss"));

        if (!QFileInfo(model_->DbFilePath).isFile()) {
            const QString cr = QStringLiteral("\r");
            ports_.ui->msgBox(QStringLiteral("データベースが組み込まれていません") + cr +
                                  QStringLiteral("データベースファイルをインストールしてください") + cr + cr +
                                  QStringLiteral("データベースファイルはVornホームページより無償でダウンロードしていただけます。") + cr +
                                  databaseDownloadUrl(),
                              kMbInformation, QStringLiteral("データベースエラー"));
            WriteEventLog(QStringLiteral("データベースへの接続不可：データベースファイルが存在しない"));
            ended_ = true;
            return StartResult::Stop;
        }

        model_->startUpSpinControls();

        if (ports_.hooks.initMsgBanner)
            ports_.hooks.initMsgBanner(*this);

        WriteEventLog(QStringLiteral("○Tolvane 起動"));
    } catch (const VbError& e) {
        logError(QStringLiteral("[frmMain]-[Form_Loadイベント]："), e);
    }
    return StartResult::Run;
}

// ============================================================================
// Toolbar
// ============================================================================

void MainWindow::runStep(const std::function<void()>& step)
{
    // The clear commands go on past a failing step, without a line.
    try {
        step();
    } catch (const VbError&) {
    }
}

void MainWindow::selectAllSteps()
{
    report_->setFocus(Qt::OtherFocusReason);
    const QString& text = form().text(Ctl::Text1);
    form().setSelection(Ctl::Text1, 0, int(text.size()));
    if (!text.isEmpty()) {
        setButton(Ctl::imgCopy, true, QStringLiteral("copy"));
        form().setEnabled(Ctl::mnuCopy, true);
        form().setEnabled(Ctl::mnuCut, true);
    }
}

void MainWindow::imgSelectAll_Click()
{
    try {
        selectAllSteps();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("imgSelectAll_Click")), e);
    }
}

void MainWindow::imgCopy_Click()
{
    try {
        ports_.clipboard->clear();
        ports_.clipboard->setText(selectedReportText());
        setButton(Ctl::imgCopy, false, QStringLiteral("copy"));
        if (form()[Ctl::imgSelectAll].enabled)
            setButton(Ctl::imgSelectAll, false, QStringLiteral("select_all"));
        form().setEnabled(Ctl::mnuCopy, false);
        form().setEnabled(Ctl::mnuCut, false);
        if (form()[Ctl::mnuAllsel].enabled)
            form().setEnabled(Ctl::mnuAllsel, false);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("imgCopy_Click")), e);
    }
}

// The three clear commands share their steps. Clearing all also empties the
// spring's lists and values and resets the bars and the title panel; the
// toolbar's clear-all then resets the series pictures, the menu's does not.
void MainWindow::clearCommand(bool all, bool resetSeriesPictures)
{
    runStep([this] { model_->inpTextboxClar(); });
    runStep([this] { model_->Textbox1Clar(); });
    runStep([this] {
        if (form()[Ctl::imgOutputDXF].enabled)
            setButton(Ctl::imgOutputDXF, false, QStringLiteral("output_dxf"));
    });
    runStep([this] {
        if (form()[Ctl::mnuDxf].enabled)
            form().setEnabled(Ctl::mnuDxf, false);
    });
    if (all) {
        runStep([this] {
            form().setItems(Ctl::List1, {});
            form().setItems(Ctl::List2, {});
        });
        runStep([this] { model_->DataClear(); });
        runStep([this] { model_->GrafuSet(); });
        runStep([this] { model_->Picture_on(); });
        if (resetSeriesPictures)
            runStep([this] { model_->ResetImage(); });
    }
    runStep([this] {
        form().setEnabled(Ctl::mnuAllsel, false);
        form().setEnabled(Ctl::mnuCopy, false);
        form().setEnabled(Ctl::mnuCut, false);
    });
}

void MainWindow::imgClearData_Click() { clearCommand(false, false); }

void MainWindow::imgAllClear_Click() { clearCommand(true, true); }

void MainWindow::showDxfDialog(const QString& procedure)
{
    try {
        // What the report refuses is not drawn either, with the report's
        // message: a box that is no number, or no spring. No dialog opens.
        if (!model_->readyToDraw())
            return;
        const bool complete = setSpData(form(), model_->InputMode);
        if (!ports_.hooks.showDxfDialog)
            throw objectRequired();
        if (ports_.hooks.showDxfDialog(*this, springRecord(), complete))
            model_->setDxfCommandsEnabled(false);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, procedure), e);
        return;
    }
    ClearGlobalValue();
}

void MainWindow::imgOutputDXF_Click() { showDxfDialog(QStringLiteral("imgOutputDXF_Click")); }

void MainWindow::imgTotalOutput_Click()
{
    try {
        if (!ports_.hooks.showTotalDialog)
            throw objectRequired();
        ports_.hooks.showTotalDialog(*this);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("imgTotalOutput_Click")), e);
    }
}

void MainWindow::imgHowToUse_Click() { ports_.ui->openUrl(howToUseUrl()); }

// ============================================================================
// Menus
// ============================================================================

void MainWindow::mnuSave2_Click()
{
    // The dialog as it was last set up, by the window or by the shutdown's save.
    const std::optional<QString> path = ports_.ui->askSaveFile(saveDialog_);
    if (!path)
        return;  // nothing written, so the result stays unsaved
    saveDialog_.fileName = *path;
    const QString text = form().text(Ctl::Text1) + QStringLiteral("\r\n");
    if (const std::optional<VbError> failure = saveFileAtomic(*path, text.toUtf8())) {
        logError(errorLabel(kOwner, QStringLiteral("mnuSave2_Click")), *failure);
        ports_.ui->msgBox(QStringLiteral("計算結果を保存できませんでした。") + QStringLiteral("\r") + *path +
                              QStringLiteral("\r") + failure->description(),
                          kMbCritical, QStringLiteral("保存エラー"));
        return;
    }
    model_->SaveState = QStringLiteral("SaveOK");
}

void MainWindow::mnuDxf_Click() { showDxfDialog(QStringLiteral("mnuDxf_Click")); }

void MainWindow::mnuPrinter_Click() { ports_.printer->setup(this); }

void MainWindow::mnuPrint_Click()
{
    const QString message = QStringLiteral("プリンター エラーです！") + QStringLiteral("\r") +
                            QStringLiteral("使用できるプリンターが見つかりません、プリンターをインストールしてから 再度実行してください。");
    auto* printers = findChild<QListWidget*>(QStringLiteral("List3"));
    printers->clear();
    const QStringList names = ports_.printer->printerNames();
    printers->addItems(names);
    // A destination chosen in the printer setup (a printer or a PDF file) counts too.
    if (names.isEmpty() && !ports_.printer->destinationChosen()) {
        ports_.ui->msgBox(message, kMbCritical, QStringLiteral("プリント エラー"));
        return;
    }
    ports_.printer->print(reportPrintJob(startDate_, form().text(Ctl::Text1), productPageUrl()));
}

void MainWindow::mnuEnd_Click()
{
    try {
        askToEnd();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuEnd_Click")), e);
    }
}

void MainWindow::mnuTEXT_Click()
{
    try {
        model_->imgDisplayTxt_Click();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuTEXT_Click")), e);
    }
}

void MainWindow::mnuCria_Click() { clearCommand(true, false); }

void MainWindow::mnuCut_Click()
{
    try {
        const QString selected = selectedReportText();
        ports_.clipboard->setText(selected);
        const QTextCursor cursor = report_->textCursor();
        const QString text = form().text(Ctl::Text1);
        const int start = toModelPos(text, cursor.selectionStart());
        const int end = toModelPos(text, cursor.selectionEnd());
        form().setText(Ctl::Text1, text.left(start) + text.mid(end));
        form().setEnabled(Ctl::mnuCopy, false);
        form().setEnabled(Ctl::mnuCut, false);
        if (form()[Ctl::imgSelectAll].enabled)
            setButton(Ctl::imgSelectAll, false, QStringLiteral("select_all"));
        if (form()[Ctl::imgOutputDXF].enabled)
            setButton(Ctl::imgOutputDXF, false, QStringLiteral("output_dxf"));
        if (form()[Ctl::mnuAllsel].enabled)
            form().setEnabled(Ctl::mnuAllsel, false);
        model_->com3_syori();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuCut_Click")), e);
    }
}

void MainWindow::mnuCopy_Click()
{
    try {
        ports_.clipboard->clear();
        ports_.clipboard->setText(selectedReportText());
        form().setEnabled(Ctl::mnuCopy, false);
        form().setEnabled(Ctl::mnuCut, false);
        if (form()[Ctl::imgSelectAll].enabled)
            setButton(Ctl::imgSelectAll, false, QStringLiteral("select_all"));
        if (form()[Ctl::mnuAllsel].enabled)
            form().setEnabled(Ctl::mnuAllsel, false);
        model_->com3_syori();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuCopy_Click")), e);
    }
}

void MainWindow::mnuAllsel_Click()
{
    try {
        selectAllSteps();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuAllsel_Click")), e);
    }
}

void MainWindow::mnuDentaku_Click()
{
    try {
        if (!ports_.calculator->start())
            throw VbError(kErrFileNotFound);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuDentaku_Click")), e);
    }
}

void MainWindow::switchSkin(const QString& skin)
{
    try {
        ExistSettingFolder();
        ExistIniFile();
        SetINIValue(QStringLiteral("Design"), QStringLiteral("FORM_SKIN"), skin);
        ReadIniFile();
        SelectSkin();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnu") + skin + QStringLiteral("_Click")), e);
    }
}

void MainWindow::mnuLight_Click() { switchSkin(QStringLiteral("Light")); }

void MainWindow::mnuDark_Click() { switchSkin(QStringLiteral("Dark")); }

void MainWindow::mnuProgram_Click()
{
    const QString page = ProgramFolder() + QStringLiteral("/html/siyou.html");
    if (QFileInfo(page).isFile())
        ports_.ui->openUrl(page);
    else
        ports_.ui->msgBox(QStringLiteral("ヘルプファイルがインストールされていません。"), kMbOk, kProgramTitle);
}

void MainWindow::mnuHome_Click() { ports_.ui->openUrl(messageHomeUrl()); }

void MainWindow::mnuVer_Click()
{
    try {
        if (!ports_.hooks.showVersionDialog)
            throw objectRequired();
        ports_.hooks.showVersionDialog(*this);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("mnuVer_Click")), e);
    }
}

// ============================================================================
// Shutdown
// ============================================================================

void MainWindow::endProgram(bool logEndLine, bool cleanUp)
{
    if (logEndLine)
        WriteEventLog(kEndLine);
    if (cleanUp)
        CleaningUp();
    ended_ = true;
    if (!closing_)
        close();
    // Only a running event loop is left; without one there is nothing to end,
    // and an exit asked for then would stop every later local loop at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

bool MainWindow::askToEnd()
{
    if (model_->SaveState != QStringLiteral("SaveOK") && !form().text(Ctl::Text1).isEmpty()) {
        const int answer = ports_.ui->msgBox(
            QStringLiteral("計算結果が残っています。") + QStringLiteral("\r") +
                QStringLiteral("保存してから終了する場合は 『はい』 を このまま終了する場合は 『いいえ』 を押してください。"),
            kMbYesNoCancel | kMbExclamation, QStringLiteral("Vornの終了"));
        if (answer == kIdYes) {
            FailSave();
            return ended_;
        }
        if (answer == kIdNo) {
            endProgram(true, true);
            return true;
        }
        return false;
    }
    endProgram(true, true);
    return true;
}

bool MainWindow::Form_QueryUnload(int unloadMode)
{
    try {
        if (askToEnd())
            return false;
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("Form_QueryUnload")), e);
    }
    if (unloadMode == 0)
        return true;
    // Closed by the system: the window goes without the end line.
    ended_ = true;
    return false;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (ended_) {
        event->accept();
        return;
    }
    closing_ = true;
    const bool cancel = Form_QueryUnload(0);
    closing_ = false;
    if (cancel)
        event->ignore();
    else
        event->accept();
}

void MainWindow::onCommitData(QSessionManager& manager)
{
    if (ended_)
        return;
    if (!manager.allowsInteraction()) {
        // No question can be asked: end as the system asked, leaving no line.
        ended_ = true;
        return;
    }
    closing_ = true;
    Form_QueryUnload(3);
    closing_ = false;
    manager.release();
}

void MainWindow::FailSave()
{
    try {
        QString path;
        if (!SaveTextControl(path))
            return;
        ports_.ui->msgBox(path + QStringLiteral(" にファイルを保存しました。"), kMbOk, QStringLiteral("保存完了"));
        WriteEventLog(path + QStringLiteral(" ：フォーム内の計算結果をテキストファイルに保存し、アプリケーションを終了"));
        endProgram(true, false);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("FailSave")), e);
    }
}

bool MainWindow::SaveTextControl(QString& path)
{
    // Set up on the window's one save dialog, which keeps it afterwards.
    saveDialog_.filter = QStringLiteral("All files (*.*)|*.*|Text files|*.txt");
    saveDialog_.filterIndex = 2;
    saveDialog_.defaultExt = QStringLiteral("txt");
    saveDialog_.title = QStringLiteral("Select the destination file ");
    saveDialog_.fileName = path;
    saveDialog_.overwritePrompt = true;
    const std::optional<QString> chosen = ports_.ui->askSaveFile(saveDialog_);
    if (!chosen)
        return false;
    path = *chosen;
    saveDialog_.fileName = path;
    return writeFileAtomic(path, form().text(Ctl::Text1).toUtf8());
}

void MainWindow::CleaningUp()
{
    try {
        if (ports_.hooks.cleanUpBanner)
            ports_.hooks.cleanUpBanner();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("CleaningUp")), e);
    }
}

}  // namespace tolvane
