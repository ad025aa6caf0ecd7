#include "frame/mainwindow.h"

#include "calc/spdata.h"
#include "calc/springrecord.h"
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
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSessionManager>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTextCursor>
#include <QThread>
#include <QTimer>

namespace tolvane {

namespace {

const QString kOwner = QStringLiteral("frmMain");

// What a missing dialog, banner or control raises.
VbError objectRequired() { return VbError(424, QStringLiteral("オブジェクトが必要です。")); }
const QString kStartLine = QStringLiteral("□------------------------ Tolvane 起動処理開始 ------------------------□");
const QString kEndLine = QStringLiteral("■----------------------------- Tolvane 終了 -----------------------------■");

constexpr int px(int twips) { return (twips + 7) / 15; }

// A box the input mode turns off shows Active Border: the original's fixed
// grey, so it reads as off whatever the desktop's palette.
QColor toQColor(ColorRef v)
{
    return v == kSysActiveBorder ? QColor(0xB4, 0xB4, 0xB4) : look::vbColor(v);
}

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
    if (qApp)
        connect(qApp, &QGuiApplication::commitDataRequest, this, &MainWindow::onCommitData);
}

MainWindow::~MainWindow()
{
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
    central->setObjectName(QStringLiteral("frmMainClient"));
    central->setFixedSize(1016, 686);
    setCentralWidget(central);

    auto reg = [this](QWidget* w, const QString& name) {
        w->setObjectName(name);
        if (const auto c = controlByName(name))
            widgets_[static_cast<int>(*c)] = w;
        return w;
    };
    auto frame = [&](QWidget* parent, const QString& name, const QString& title, QRect r) {
        auto* g = new QGroupBox(title, parent);
        reg(g, name);
        g->setGeometry(r);
        return g;
    };
    // A caption on the window's own background: its colour follows the skin.
    auto caption = [&](QWidget* parent, const QString& name, const QString& text, QRect r,
                       Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
        auto* l = new QLabel(text, parent);
        reg(l, name);
        // A caption the model holds starts as designed.
        if (const auto c = controlByName(name); c && form().text(*c).isEmpty() && !text.isEmpty())
            form().setText(*c, text);
        l->setGeometry(r);
        l->setAlignment(align);
        return l;
    };
    // A table heading: its own colours in both looks.
    auto head = [&](QWidget* parent, const QString& name, const QString& text, QRect r) {
        auto* l = caption(parent, name, text, r, Qt::AlignCenter);
        applyBackColor(l, 0x6E4628);
        applyForeColor(l, 0xFFFFFF);
        l->setFrameShape(QFrame::Box);
        return l;
    };
    // A value cell: black on white.
    auto value = [&](QWidget* parent, const QString& name, QRect r) {
        auto* l = caption(parent, name, QString(), r, Qt::AlignCenter);
        applyBackColor(l, 0xFFFFFF);
        applyForeColor(l, 0x000000);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        return l;
    };
    // A value cell on black, for the coloured highlights.
    auto darkValue = [&](QWidget* parent, const QString& name, const QString& text, QRect r, ColorRef fore) {
        auto* l = caption(parent, name, text, r, Qt::AlignCenter);
        applyBackColor(l, 0x000000);
        applyForeColor(l, fore);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        return l;
    };
    auto box = [&](QWidget* parent, const QString& name, QRect r) {
        auto* e = new QLineEdit(parent);
        reg(e, name);
        e->setGeometry(r);
        e->setAlignment(Qt::AlignRight);
        return e;
    };
    auto spin = [&](QWidget* parent, const QString& name, QRect r) {
        auto* s = new SpinArrows(parent);
        reg(s, name);
        s->setGeometry(r);
        return s;
    };
    auto picture = [&](QWidget* parent, const QString& name, QRect r) {
        auto* b = new PictureButton(parent);
        reg(b, name);
        b->setGeometry(r);
        return b;
    };

    // --- toolbar --------------------------------------------------------------
    QGroupBox* toolbar = frame(central, QStringLiteral("Frame3"), QString(), QRect(8, 2, 640, 62));
    for (int i = 0; i < kToolbar.size(); ++i) {
        PictureButton* b = picture(toolbar, kToolbar[i], QRect(6 + i * 78, 8, 76, 48));
        b->setToolTip(QStringList{QStringLiteral("計算結果の表示"), QStringLiteral("全て選択"), QStringLiteral("コピー"),
                                  QStringLiteral("データクリア"), QStringLiteral("全てクリア"), QStringLiteral("DXF出力"),
                                  QStringLiteral("合成圧力線図"), QStringLiteral("使い方")}[i]);
    }

    // --- title panel and product title ----------------------------------------
    auto* panel = new QLabel(central);
    reg(panel, QStringLiteral("Picture6"));
    panel->setGeometry(656, 4, px(2610), px(1005));
    applyBackColor(panel, 0x000000);
    auto* name55 = caption(panel, QStringLiteral("Label55"), QStringLiteral("Tolvane"), QRect(px(135), 6, 160, 28));
    QFont titleFont(base);
    titleFont.setPointSize(16);
    titleFont.setBold(true);
    name55->setFont(titleFont);
    applyForeColor(name55, 0x00FFFF);
    auto* version56 = caption(panel, QStringLiteral("Label56"), QStringLiteral("2017.11 Ver 2.0.3"), QRect(px(1080), 42, 120, 18));
    applyForeColor(version56, 0x00FFFF);
    // Once the panel has slid back the version rests further right than at
    // start: it must fit there.
    version56->move(px(1380), version56->y());
    look::fitCaption(version56);
    version56->move(px(1080), version56->y());

    QFont productFont(base);
    productFont.setPointSize(26);
    productFont.setBold(true);
    productFont.setItalic(true);
    auto* back81 = caption(central, QStringLiteral("Label81"), QStringLiteral("Tolvane"), QRect(839, 9, 172, 52));
    back81->setFont(productFont);
    auto* front80 = caption(central, QStringLiteral("Label80"), QStringLiteral("Tolvane"), QRect(840, 10, 172, 52));
    front80->setFont(productFont);

    // --- spring kind, input mode, use count ------------------------------------
    QGroupBox* kinds = frame(central, QStringLiteral("Frame7"), QStringLiteral("コイル種類"), QRect(8, 70, 316, 62));
    picture(kinds, QStringLiteral("imgRoundSp"), QRect(12, 24, 88, 31));
    picture(kinds, QStringLiteral("imgSquare1Sp"), QRect(114, 24, 88, 31));
    picture(kinds, QStringLiteral("imgSquare2Sp"), QRect(216, 24, 88, 31));

    auto radio = [&](const QString& name, const QString& text, QRect r) {
        auto* b = new QRadioButton(text, central);
        reg(b, name);
        b->setAutoExclusive(false);
        // An option that cannot be chosen shows a grey circle, the grey of a
        // use count not chosen, where the others are white: it reads as off
        // in both looks, which the style's near-white alone does not.
        QPalette pal = b->palette();
        pal.setColor(QPalette::Disabled, QPalette::Base, QColor(0x80, 0x80, 0x80));
        b->setPalette(pal);
        b->setGeometry(r);
        return b;
    };
    radio(QStringLiteral("Option1"), QStringLiteral("全ての数値を入力"), QRect(8, 138, 316, 22));
    radio(QStringLiteral("Option2"), QStringLiteral("スプリングの圧力だけを計算"), QRect(8, 162, 316, 22));

    head(central, QStringLiteral("Label33"), QStringLiteral("使用回数"), QRect(8, 190, 140, 22));
    head(central, QStringLiteral("Label76"), QStringLiteral("許容タワミ (mm)"), QRect(150, 190, 174, 22));
    const QStringList counts = {QStringLiteral("100万回"), QStringLiteral("50万回"), QStringLiteral("30万回")};
    for (int i = 0; i < 3; ++i) {
        const int y = 214 + i * 24;
        // The option shows only its button; its caption label beside it
        // carries the highlight colour. The allowed deflection of the size
        // follows under its catalogue caption.
        radio(QStringLiteral("Option%1").arg(13 + i), counts[i], QRect(10, y + 2, 20, 20));
        darkValue(central, QStringLiteral("Label%1").arg(34 + i), counts[i], QRect(32, y, 116, 22), 0x808080);
        head(central, QStringLiteral("capFmm%1").arg(i), QStringLiteral("Fmm/") + counts[i], QRect(150, y, 94, 22));
        darkValue(central, QStringLiteral("Label%1").arg(28 + i), QString(), QRect(246, y, 78, 22), 0x808080);
    }

    // --- series frames, all at one place -----------------------------------------
    const QRect seriesPlace(px(120), px(4440), 316, 76);
    auto seriesFrame = [&](const QString& name, const QStringList& codes) {
        QGroupBox* g = frame(central, name, QString(), seriesPlace);
        for (int i = 0; i < codes.size(); ++i)
            picture(g, QStringLiteral("img") + codes[i], QRect(8 + (i % 5) * 60, 12 + (i / 5) * 31, 58, 27));
        return g;
    };
    seriesFrame(QStringLiteral("Frame4"), kFrame4);
    seriesFrame(QStringLiteral("Frame5"), kFrame5);
    seriesFrame(QStringLiteral("Frame6"), kFrame6);

    // --- diameters and sizes ------------------------------------------------------
    QGroupBox* diameters = frame(central, QStringLiteral("Frame1"), QStringLiteral("外径（φ）を指定"), QRect(8, 380, 112, 300));
    auto* list2 = new ChoiceList(diameters);
    reg(list2, QStringLiteral("List2"));
    list2->setGeometry(8, 24, 96, 268);
    head(central, QStringLiteral("Label73"), QStringLiteral("スプリング No."), QRect(126, 386, 198, 22));
    auto* list1 = new ChoiceList(central);
    reg(list1, QStringLiteral("List1"));
    list1->setGeometry(126, 410, 198, 270);

    // --- the chosen spring ---------------------------------------------------------
    caption(central, QStringLiteral("Label53"), QStringLiteral("選択スプリング"), QRect(336, 72, 100, 22));
    auto* springNo = value(central, QStringLiteral("Label21"), QRect(440, 72, 236, 22));
    QFont bold(base);
    bold.setBold(true);
    springNo->setFont(bold);
    const QStringList specCaptions = {QStringLiteral("外径"), QStringLiteral("内径"), QStringLiteral("長さ"),
                                      QStringLiteral("l min"), QStringLiteral("N/mm"), QStringLiteral("kgf/mm")};
    const QStringList specCaptionNames = {QStringLiteral("Label5"), QStringLiteral("Label6"), QStringLiteral("Label7"),
                                          QStringLiteral("Label8"), QStringLiteral("Label9"), QStringLiteral("Label10")};
    for (int i = 0; i < 6; ++i) {
        const int x = (i % 2) ? 508 : 336;
        const int y = 98 + (i / 2) * 24;
        caption(central, specCaptionNames[i], specCaptions[i], QRect(x, y, 60, 22));
        value(central, QStringLiteral("Label%1").arg(22 + i), QRect(x + 62, y, 104, 22));
    }

    // --- the die's data --------------------------------------------------------------
    caption(central, QStringLiteral("Label1"), QStringLiteral("板厚 (T)"), QRect(336, 172, 76, 18));
    box(central, QStringLiteral("Text2"), QRect(336, 190, 68, 22));
    caption(central, QStringLiteral("Label12"), QStringLiteral("×"), QRect(406, 190, 14, 22), Qt::AlignCenter);
    caption(central, QStringLiteral("Label13"), QStringLiteral("加工長さ (L)"), QRect(422, 172, 86, 18));
    box(central, QStringLiteral("Text4"), QRect(422, 190, 68, 22));
    caption(central, QStringLiteral("Label14"), QStringLiteral("×"), QRect(492, 190, 14, 22), Qt::AlignCenter);
    caption(central, QStringLiteral("Label15"), QStringLiteral("係数"), QRect(508, 172, 60, 18));
    box(central, QStringLiteral("Text5"), QRect(508, 190, 44, 22));
    spin(central, QStringLiteral("UpDown1"), QRect(552, 190, 16, 22));
    caption(central, QStringLiteral("Label20"), QStringLiteral("＝"), QRect(570, 190, 16, 22), Qt::AlignCenter);
    caption(central, QStringLiteral("Label16"), QStringLiteral("圧力 (Kg)"), QRect(588, 172, 88, 18));
    box(central, QStringLiteral("Text6"), QRect(588, 190, 88, 22));

    caption(central, QStringLiteral("Label17"), QStringLiteral("ストリッピング"), QRect(336, 218, 110, 18));
    box(central, QStringLiteral("Text8"), QRect(336, 236, 44, 22));
    spin(central, QStringLiteral("UpDown2"), QRect(380, 236, 16, 22));
    caption(central, QStringLiteral("Label19"), QStringLiteral("％"), QRect(398, 236, 16, 22), Qt::AlignCenter);
    caption(central, QStringLiteral("Label18"), QStringLiteral("＝"), QRect(416, 236, 16, 22), Qt::AlignCenter);
    box(central, QStringLiteral("Text7"), QRect(434, 236, 88, 22));
    caption(central, QStringLiteral("Label11"), QStringLiteral("kgf"), QRect(524, 236, 30, 22));

    caption(central, QStringLiteral("Label2"), QStringLiteral("初圧 (mm)"), QRect(336, 264, 80, 18));
    box(central, QStringLiteral("Text9"), QRect(336, 282, 68, 22));
    caption(central, QStringLiteral("Label3"), QStringLiteral("ストローク (mm)"), QRect(418, 264, 88, 18));
    box(central, QStringLiteral("Text3"), QRect(418, 282, 68, 22));
    caption(central, QStringLiteral("Label4"), QStringLiteral("使用本数"), QRect(510, 264, 70, 18));
    box(central, QStringLiteral("Text10"), QRect(510, 282, 44, 22));
    spin(central, QStringLiteral("UpDown3"), QRect(554, 282, 16, 22));
    caption(central, QStringLiteral("Label52"), QStringLiteral("カミアイ"), QRect(592, 264, 70, 18));
    box(central, QStringLiteral("Text11"), QRect(592, 282, 44, 22));
    spin(central, QStringLiteral("UpDown4"), QRect(636, 282, 16, 22));

    caption(central, QStringLiteral("Label37"), QStringLiteral("下死点手前 m/m"), QRect(336, 310, 110, 18));
    box(central, QStringLiteral("Text12"), QRect(336, 328, 68, 22));

    // --- results ----------------------------------------------------------------------
    head(central, QStringLiteral("Label38"), QStringLiteral("加工圧力"), QRect(336, 362, 130, 22));
    value(central, QStringLiteral("Label43"), QRect(468, 362, 208, 22));
    head(central, QStringLiteral("Label39"), QStringLiteral("必要ストリッピング力"), QRect(336, 386, 130, 22));
    value(central, QStringLiteral("Label44"), QRect(468, 386, 208, 22));
    head(central, QStringLiteral("Label40"), QStringLiteral("SP 本数"), QRect(336, 410, 130, 22));
    value(central, QStringLiteral("Label45"), QRect(468, 410, 52, 22));
    head(central, QStringLiteral("Label42"), QStringLiteral("圧縮長"), QRect(524, 410, 60, 22));
    value(central, QStringLiteral("Label83"), QRect(586, 410, 90, 22));

    value(central, QStringLiteral("Label57"), QRect(336, 442, 85, 22));
    head(central, QStringLiteral("Label48"), QStringLiteral("合計/kgf"), QRect(423, 442, 83, 22));
    head(central, QStringLiteral("Label50"), QStringLiteral("合計/N"), QRect(508, 442, 83, 22));
    head(central, QStringLiteral("Label58"), QStringLiteral("1本/kgf"), QRect(593, 442, 83, 22));
    const QStringList rows = {QStringLiteral("SP 初圧"), QStringLiteral("加工開始"), QStringLiteral("SP 終圧")};
    const QStringList rowNames = {QStringLiteral("Label62"), QStringLiteral("Label63"), QStringLiteral("Label64")};
    const int loadLabels[3][3] = {{46, 59, 66}, {49, 60, 67}, {47, 61, 68}};
    for (int r = 0; r < 3; ++r) {
        const int y = 466 + r * 24;
        head(central, rowNames[r], rows[r], QRect(336, y, 85, 22));
        for (int c = 0; c < 3; ++c)
            value(central, QStringLiteral("Label%1").arg(loadLabels[r][c]), QRect(423 + c * 85, y, 83, 22));
    }

    head(central, QStringLiteral("Label82"), QString(), QRect(336, 548, 85, 22));
    head(central, QStringLiteral("Label69"), QStringLiteral("初圧"), QRect(423, 548, 83, 22));
    head(central, QStringLiteral("Label72"), QStringLiteral("加工開"), QRect(508, 548, 83, 22));
    head(central, QStringLiteral("Label74"), QStringLiteral("終圧"), QRect(593, 548, 83, 22));
    head(central, QStringLiteral("Label65"), QStringLiteral("タワミ/mm"), QRect(336, 572, 85, 22));
    darkValue(central, QStringLiteral("Label77"), QString(), QRect(423, 572, 83, 22), 0xFFFFFF);
    darkValue(central, QStringLiteral("Label78"), QString(), QRect(508, 572, 83, 22), 0xFFFFC0);
    darkValue(central, QStringLiteral("Label79"), QString(), QRect(593, 572, 83, 22), 0xFFFFFF);
    head(central, QStringLiteral("Label41"), QStringLiteral("タワミ"), QRect(336, 604, 85, 22));
    value(central, QStringLiteral("Label51"), QRect(423, 604, 83, 22));
    caption(central, QStringLiteral("Label31"), QStringLiteral("mm"), QRect(510, 604, 30, 22));

    // --- deflection bars ----------------------------------------------------------------
    QGroupBox* bars = frame(central, QStringLiteral("Frame2"), QString(), QRect(684, 72, px(900), px(3015)));
    auto bar = [&](const QString& name, const QString& cover, int left) {
        auto* b = new QLabel(bars);
        reg(b, name);
        b->setGeometry(px(left), px(240), px(160), px(2460));
        applyBackColor(b, 0xE0E0E0);
        auto* c = new QLabel(b);
        reg(c, cover);
        c->setGeometry(0, 0, px(140), 0);
        applyBackColor(c, 0xE0E0E0);
    };
    bar(QStringLiteral("Picture3"), QStringLiteral("Label32"), 295);
    bar(QStringLiteral("Picture4"), QStringLiteral("Label54"), 460);
    auto tag = [&](const QString& pictureName, const QString& labelName, const QString& text, QRect r, ColorRef back) {
        auto* p = new QLabel(bars);
        reg(p, pictureName);
        p->setGeometry(r);
        applyBackColor(p, back);
        auto* l = new QLabel(text, p);
        reg(l, labelName);
        l->setGeometry(0, 0, r.width(), r.height());
        l->setAlignment(Qt::AlignCenter);
        QFont f(base);
        f.setPointSize(7);
        l->setFont(f);
        applyForeColor(l, 0xFFFFFF);
    };
    tag(QStringLiteral("Picture16"), QStringLiteral("Label70"), QStringLiteral("MAX"), QRect(px(70), px(2700), px(390), px(225)), 0x0000FF);
    tag(QStringLiteral("Picture5"), QStringLiteral("Label71"), QStringLiteral("Fmm"), QRect(px(460), px(2700), px(375), px(225)), 0xFF0000);
    QFont tiny(base);
    tiny.setPointSize(6);
    auto* cap85 = new VerticalLabel(QStringLiteral("率ミワタ大最"), bars);
    reg(cap85, QStringLiteral("Label85"));
    cap85->setGeometry(px(120), px(240), px(135), px(1095));
    cap85->setFont(tiny);
    auto* cap84 = new VerticalLabel(QStringLiteral("率ミワタるよに数回用使"), bars);
    reg(cap84, QStringLiteral("Label84"));
    cap84->setGeometry(px(670), px(240), px(135), px(2175));
    cap84->setFont(tiny);

    // --- the report ---------------------------------------------------------------------
    report_ = new QPlainTextEdit(central);
    reg(report_, QStringLiteral("Text1"));
    report_->setGeometry(748, 72, 260, 574);
    report_->setReadOnly(true);
    report_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->viewport()->installEventFilter(this);

    // The printers found at the last print; nothing shows it.
    auto* printers = new QListWidget(central);
    reg(printers, QStringLiteral("List3"));
    printers->setGeometry(684, 290, 60, 60);
    printers->hide();

    // --- the banner -----------------------------------------------------------------------
    bannerFrame_ = new QWidget(central);
    bannerFrame_->setObjectName(QStringLiteral("Frame8"));
    bannerFrame_->setGeometry(336, 652, 672, 28);
    auto* background = new QLabel(bannerFrame_);
    background->setObjectName(QStringLiteral("imgMsgBackGround"));
    background->setGeometry(0, 0, 672, 28);
    background->setScaledContents(true);
    applyBackColor(background, 0x281C18);
    auto* msg = new QLabel(QStringLiteral("Tolvane"), bannerFrame_);
    msg->setObjectName(QStringLiteral("lblMsg"));
    msg->setGeometry(8, 0, 656, 28);
    msg->setTextFormat(Qt::PlainText);
    applyForeColor(msg, 0xE0E0E0);
    QFont msgFont(base);
    msgFont.setPointSize(10);
    msg->setFont(msgFont);

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
            // Choosing an entry with the arrow keys is a click, as in the
            // original's lists; a click on the entry already chosen, or
            // Enter, chooses it again. The model's own changes come under a
            // signal blocker.
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
        switch (lock_->acquire()) {
        case InstanceLock::Result::Acquired:
            break;
        case InstanceLock::Result::AlreadyRunning:
            ports_.ui->msgBox(QStringLiteral("すでに「") + kProgramTitle + QStringLiteral("」は起動されています。"), kMbExclamation,
                              kProgramTitle);
            ended_ = true;
            return StartResult::Stop;
        case InstanceLock::Result::Unavailable:
            // Without a lock a second copy goes unnoticed, which costs far
            // less than a program that never starts.
            logError(QStringLiteral("[frmMain]-[Form_Loadイベント]："),
                     VbError(kErrPathFileAccess, QStringLiteral("起動中の確認用ファイル [ ") + lock_->path()
                                                     + QStringLiteral(" ] を作成できないため、確認せずに起動します。")));
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
    const bool complete = setSpData(form(), model_->InputMode);
    try {
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
    if (names.isEmpty()) {
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
