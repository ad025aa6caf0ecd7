#pragma once
// The main window as a model: every control the calculation reads or writes,
// held as plain state with no widget behind it. A write of a text runs that
// control's change rule at once, nested, before the write returns, and only
// when the text really changes; selecting an option that was not selected
// runs its click rule. The window mirrors this state and forwards only the
// user's own edits, so the order of the rules is the model's alone.

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <initializer_list>
#include <optional>

namespace tolvane {

// Every control of the main window the model knows, by its window name.
#define TOLVANE_FORM_CONTROLS(X)                                                                   \
    X(Text1) X(Text2) X(Text3) X(Text4) X(Text5) X(Text6) X(Text7) X(Text8) X(Text9) X(Text10)      \
    X(Text11) X(Text12)                                                                             \
    X(Label1) X(Label12) X(Label13) X(Label14) X(Label15) X(Label16) X(Label17) X(Label18)          \
    X(Label19) X(Label21) X(Label22) X(Label23) X(Label24) X(Label25) X(Label26) X(Label27)         \
    X(Label28) X(Label29) X(Label30) X(Label32) X(Label34) X(Label35) X(Label36) X(Label37)         \
    X(Label43) X(Label44) X(Label45) X(Label46) X(Label47) X(Label49) X(Label51) X(Label52)         \
    X(Label54) X(Label55) X(Label56) X(Label57) X(Label59) X(Label60) X(Label61) X(Label66)         \
    X(Label67) X(Label68) X(Label77) X(Label78) X(Label79) X(Label83)                               \
    X(Option1) X(Option2) X(Option13) X(Option14) X(Option15)                                       \
    X(List1) X(List2)                                                                               \
    X(UpDown1) X(UpDown2) X(UpDown3) X(UpDown4)                                                     \
    X(Picture3) X(Picture4) X(Picture6)                                                             \
    X(Frame4) X(Frame5) X(Frame6)                                                                   \
    X(imgCopy) X(imgSelectAll) X(imgOutputDXF)                                                      \
    X(imgRoundSp) X(imgSquare1Sp) X(imgSquare2Sp)                                                   \
    X(imgSWB) X(imgSWC) X(imgSWF) X(imgSWG) X(imgSWH) X(imgSWL) X(imgSWM) X(imgSWR) X(imgSWS)     \
    X(imgSWU) X(imgSWV) X(imgSWX) X(imgSWY) X(imgSWZ)                                               \
    X(imgWB) X(imgWF) X(imgWH) X(imgWL) X(imgWM) X(imgWR) X(imgWT) X(imgWY)                         \
    X(mnuCopy) X(mnuCut) X(mnuAllsel) X(mnuPrint) X(mnuSave2) X(mnuDxf)

enum class Ctl : int {
#define TOLVANE_X(name) name,
    TOLVANE_FORM_CONTROLS(TOLVANE_X)
#undef TOLVANE_X
};
inline constexpr int kControlCount = 0
#define TOLVANE_X(name) +1
    TOLVANE_FORM_CONTROLS(TOLVANE_X)
#undef TOLVANE_X
    ;

QString controlName(Ctl c);
std::optional<Ctl> controlByName(QStringView name);

// The controls that hold the calculation's values, named by what they hold.
// The rules read and write them by these names; the window names them by
// the control names above, which stay valid for the same controls.
namespace field {

// What the user enters (mm unless said otherwise).
inline constexpr Ctl PlateThickness = Ctl::Text2;
inline constexpr Ctl Stroke = Ctl::Text3;
inline constexpr Ctl ProcessingLength = Ctl::Text4;
inline constexpr Ctl ShearFactor = Ctl::Text5;       // spin control UpDown1
inline constexpr Ctl StrippingPercent = Ctl::Text8;  // spin control UpDown2
inline constexpr Ctl InitialCompression = Ctl::Text9;
inline constexpr Ctl SpringCount = Ctl::Text10;      // spin control UpDown3
inline constexpr Ctl Bite = Ctl::Text11;             // spin control UpDown4; mode "all"
inline constexpr Ctl StartBeforeBottom = Ctl::Text12;  // mode "part"

// Boxes the rules compute (kgf).
inline constexpr Ctl ProcessingPressure = Ctl::Text6;
inline constexpr Ctl StrippingForce = Ctl::Text7;

// The result report.
inline constexpr Ctl ReportText = Ctl::Text1;

// The input mode, "all" or "part".
inline constexpr Ctl ModeAll = Ctl::Option1;
inline constexpr Ctl ModePart = Ctl::Option2;

// The use count, one million, five hundred thousand or three hundred thousand strokes.
inline constexpr Ctl UseCount100 = Ctl::Option13;
inline constexpr Ctl UseCount50 = Ctl::Option14;
inline constexpr Ctl UseCount30 = Ctl::Option15;

// The sizes of the chosen series, and their outer diameters.
inline constexpr Ctl SizeList = Ctl::List1;
inline constexpr Ctl DiameterList = Ctl::List2;

// The chosen spring from the catalogue; empty while none is chosen.
inline constexpr Ctl SpringNo = Ctl::Label21;
inline constexpr Ctl SpringNoCopy = Ctl::Label57;  // the same number, shown a second time
inline constexpr Ctl OuterDiameter = Ctl::Label22;
inline constexpr Ctl InnerDiameter = Ctl::Label23;
inline constexpr Ctl FreeLength = Ctl::Label24;
inline constexpr Ctl MinLength = Ctl::Label25;
inline constexpr Ctl RateN = Ctl::Label26;    // N per mm of compression
inline constexpr Ctl RateKgf = Ctl::Label27;  // kgf per mm of compression
inline constexpr Ctl AllowedDeflection100 = Ctl::Label28;
inline constexpr Ctl AllowedDeflection50 = Ctl::Label29;
inline constexpr Ctl AllowedDeflection30 = Ctl::Label30;  // or "---" where the size has no such rating

// Results.
inline constexpr Ctl PressureDisplay = Ctl::Label43;
inline constexpr Ctl StrippingForceDisplay = Ctl::Label44;
inline constexpr Ctl SpringCountDisplay = Ctl::Label45;
inline constexpr Ctl TotalDeflectionDisplay = Ctl::Label51;  // the final deflection, or a red "NG"
inline constexpr Ctl InitialDeflectionDisplay = Ctl::Label77;
inline constexpr Ctl StartDeflectionDisplay = Ctl::Label78;
inline constexpr Ctl FinalDeflectionDisplay = Ctl::Label79;
inline constexpr Ctl CompressedLength = Ctl::Label83;

// The load table: all springs in kgf and in N, one spring in kgf, at the
// initial position, the start of processing and the final position.
inline constexpr Ctl InitialLoadKgf = Ctl::Label46;
inline constexpr Ctl InitialLoadN = Ctl::Label59;
inline constexpr Ctl InitialSpringLoadKgf = Ctl::Label66;
inline constexpr Ctl StartLoadKgf = Ctl::Label49;
inline constexpr Ctl StartLoadN = Ctl::Label60;
inline constexpr Ctl StartSpringLoadKgf = Ctl::Label67;
inline constexpr Ctl FinalLoadKgf = Ctl::Label47;
inline constexpr Ctl FinalLoadN = Ctl::Label61;
inline constexpr Ctl FinalSpringLoadKgf = Ctl::Label68;

// The two deflection bars, each a box with a label inside whose height
// shows a ratio over the free length: the largest allowed deflection, and
// that of the chosen use count.
inline constexpr Ctl MaxDeflectionBar = Ctl::Picture3;
inline constexpr Ctl MaxDeflectionCover = Ctl::Label32;
inline constexpr Ctl UseCountBar = Ctl::Picture4;
inline constexpr Ctl UseCountCover = Ctl::Label54;

}  // namespace field

// Colours are numbers 0x00BBGGRR, red in the lowest byte, as the rules and
// the message file write them; a number with the top bit set names a system colour
// (0x80000005 Window, 0x8000000A Active Border, ...), which the window maps
// to its palette.
using ColorRef = quint32;
inline constexpr ColorRef kBlack = 0x000000;
inline constexpr ColorRef kRed = 0x0000FF;
inline constexpr ColorRef kSysWindow = 0x80000005;
inline constexpr ColorRef kSysActiveBorder = 0x8000000A;

struct ControlState {
    QString text;              // text of a box, caption of a label
    bool enabled = true;
    bool visible = true;
    ColorRef foreColor = kBlack;
    ColorRef backColor = kSysWindow;
    bool value = false;        // an option button's selection
    int left = 0;              // twips, where the model moves a control
    int height = 0;            // twips, where the model sizes a control
    QString picture;           // a picture button's file, relative to the program folder ("materials/copy_off.gif")
    QStringList items;         // a list box's entries
    int listIndex = -1;        // a list box's selected entry
    int selStart = 0;          // a text box's selection
    int selLength = 0;
    int spinMin = 0, spinMax = 0, spinValue = 0;  // a spin control
};

enum class Prop { Text, Enabled, Visible, ForeColor, BackColor, Value, Left, Height, Picture, Items, ListIndex, Selection, Spin };

class Form {
public:
    using Rule = std::function<void()>;
    using Observer = std::function<void(Ctl, Prop)>;

    Form();

    const ControlState& operator[](Ctl c) const { return state_[index(c)]; }
    const QString& text(Ctl c) const { return state_[index(c)].text; }

    // Runs the control's change rule, nested, when the text differs.
    void setText(Ctl c, const QString& text);
    // Selecting an unselected option deselects the others of its group and
    // runs its click rule; deselecting runs nothing.
    void setValue(Ctl c, bool selected);
    // Runs the list's click rule whenever an entry is chosen.
    void setListIndex(Ctl c, int index);

    void setEnabled(Ctl c, bool enabled);
    void setVisible(Ctl c, bool visible);
    void setForeColor(Ctl c, ColorRef color);
    void setBackColor(Ctl c, ColorRef color);
    void setLeft(Ctl c, int twips);
    void setHeight(Ctl c, int twips);
    void setPicture(Ctl c, const QString& file);
    void setItems(Ctl c, const QStringList& items);
    void setSelection(Ctl c, int start, int length);
    void setSpin(Ctl c, int min, int max, int value);

    void onChange(Ctl c, Rule rule) { change_[index(c)] = std::move(rule); }
    void onClick(Ctl c, Rule rule) { click_[index(c)] = std::move(rule); }
    // Options that exclude one another.
    void setOptionGroup(std::initializer_list<Ctl> group);

    // Told of every change of state, after it is made and before any rule
    // it sets off runs, so a mirror stays in step even inside nested rules.
    void setObserver(Observer observer) { observer_ = std::move(observer); }

private:
    static int index(Ctl c) { return static_cast<int>(c); }
    void notify(Ctl c, Prop p)
    {
        if (observer_)
            observer_(c, p);
    }

    std::array<ControlState, kControlCount> state_;
    std::array<Rule, kControlCount> change_;
    std::array<Rule, kControlCount> click_;
    std::array<int, kControlCount> group_;
    Observer observer_;
};

}  // namespace tolvane
