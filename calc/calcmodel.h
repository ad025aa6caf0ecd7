#pragma once
// The main window's calculation: the change rules of the input boxes, the
// pressure and spring forces, the input modes, the use count and the
// allowed-deflection judgement, the deflection bars, the result report, the
// result box's command states, the spring kinds and series and the catalogue
// lookups. Everything lives in the Form (control state) and in the
// program-wide values below; a window only mirrors it.
//
// This header is the contract the window codes against. The procedures keep
// the names their error lines carry ("[frmMain]-[Option2_Click()]："), so a
// line in a user's log leads straight to the code that wrote it.

#include "calc/form.h"
#include "services/ui.h"
#include "services/vberror.h"

#include <QString>

#include <optional>
#include <span>

namespace tolvane {

// What the calculation needs of the window besides message boxes.
class CalcScreen {
public:
    virtual ~CalcScreen() = default;
    virtual void setFocus(Ctl box) = 0;
    // Called after every step of the title panel's slide (the label's Left
    // has just been set), so the window can repaint and pace the slide by
    // time. Nothing by default.
    virtual void paceSlide(Ctl label) { (void)label; }
};

struct SpringForceValues {
    QString InitialLoadN, InitialSpringLoadN, InitialLoadKgf, InitialSpringLoadKgf;
    QString StartLoadN, StartSpringLoadN, StartLoadKgf, StartSpringLoadKgf;
    QString FinalLoadN, FinalSpringLoadN, FinalLoadKgf, FinalSpringLoadKgf;
    QString StartDeflection, FinalDeflection;
};

struct PressureOnlyValues {
    QString PartStartDeflection, PartSpringLoadKgf, PartSpringLoadN, PartLoadKgf, PartLoadN;
};

// The three series frames, one to a spring kind, in the order their buttons
// are given pictures: round wire, square wire 1, square wire 2.
inline constexpr Ctl kSeriesFrames[] = {Ctl::Frame5, Ctl::Frame4, Ctl::Frame6};
// A series frame's codes in its fixed order: the upper row, then the lower
// row, each from the left. The button of a code is "img" + code. Empty for
// any other control.
std::span<const char16_t* const> seriesOrder(Ctl frame);

// The catalogue's connect strings: the spring database is opened with its
// password, the diameter database with its design connect string.
inline constexpr const char16_t kSpringDbConnect[] = u";DATABASE=ZEKA.mdb;pwd=Rm4tQx82pLw";
inline constexpr const char16_t kDiameterDbConnect[] = u"Access 2000;";

class CalcModel {
public:
    CalcModel(UserInterface& ui, CalcScreen& screen);
    CalcModel(const CalcModel&) = delete;
    CalcModel& operator=(const CalcModel&) = delete;

    Form& form() { return form_; }
    const Form& form() const { return form_; }

    // --- program-wide values ------------------------------------------------
    QString InputMode = QStringLiteral("all");
    QString SaveState = QStringLiteral("SaveNon");
    QString SpringKind = QStringLiteral("K1");
    QString SeriesCode;
    QString SeriesQuery;
    double SeriesDiameter = 0;  // the diameter form 2 of SeriesQuery ("... WHERE [D1] =?;") is bound to
    QString DeflectionCheckFlag = QStringLiteral("OFF");
    QString UseCountText;
    QString AllowedDeflectionText;
    QString MaxDeflectionRatio;
    QString UseCountDeflectionRatio;
    QString MaxBarHeight;
    QString UseCountBarHeight;
    QString CompFinalText;
    QString CompStartText;
    QString PartStartSpringLoadN;
    QString DbFilePath;   // program folder + "/ZEKA.mdb"
    QString DbFilePathD;  // program folder + "/ZEKA_D.mdb"
    SpringForceValues forces;
    PressureOnlyValues pressureOnly;

    // --- start-up -------------------------------------------------------------
    // The start-up's part of the model: database paths, bars reset, defaults,
    // menus off, mode "all" chosen, the distance before bottom dead centre
    // disabled, the four spin controls with their values written into their
    // boxes (each write runs the box's rule). A failure throws VbError for
    // the load step's own handler.
    void startUp();
    // The same in the two halves the window's load step runs on either side
    // of its catalogue check: paths, bars, values, menus and mode first; the
    // spin controls after.
    void startUpDefaults();
    void startUpSpinControls();

    // --- what the user does ---------------------------------------------------
    void userTyped(Ctl box, const QString& text);       // a text box edited by the user
    void userClickedOption(Ctl option);                 // an input mode or a use count
    void userClickedList(Ctl list, int index);          // the size or the diameter list
    void userSpin(Ctl upDown, int step);                // +1 / -1 on UpDown1..4
    void boxGotFocus(Ctl box);                          // selects the whole text
    // The box that Enter moves the focus to from box, if any.
    std::optional<Ctl> enterTarget(Ctl box) const;

    // --- procedures other parts of the program call ----------------------------
    void imgDisplayTxt_Click();  // the result report
    void DataClear();
    void Textbox1Clar();
    void inpTextboxClar();
    void GrafuSet();
    void ResetImage();
    void Picture_on();
    void Picture_off();
    void Text1_Click(const QString& selectedText);
    void com2_syori();
    void com3_syori();
    void kindClicked(const QString& kind);              // "M1", "K1", "K2"
    void seriesClicked(const QString& code);            // "SWB" ... "WY"
    void setDxfCommandsEnabled(bool enabled);           // imgOutputDXF (+ picture) and mnuDxf
    // A box whose number the calculation cannot use, or that holds a value
    // it cannot compute: the message (refusedNumber), then the focus in that
    // box with its whole text selected; for a spring's value, in the sizes.
    void refuseNumber(Ctl box, const QString& message);

    // The compressions a report made now would store, from the boxes as they
    // stand, and in mode "part" its start load of one spring in N (in mode
    // "all" the stored one). The diagram draws these, so a drawing never
    // mixes an earlier report with the present loads. Throws VbError where
    // the report would fail.
    struct ReportCompressions {
        QString CompFinalText, CompStartText, PartStartSpringLoadN;
    };
    ReportCompressions reportCompressions() const;

    // Which output a check is for: the drawing reads the boxes as they
    // stand; the report first writes "0" into an empty or negative initial
    // compression and works everything out from that.
    enum class CheckedFor { Drawing, Report };

    // A value the report or the drawing prints, or a rule the report runs
    // again works out, that cannot be computed (beyond the range the rules
    // round in, or of a number): the pressure, the stripping force (mode
    // "all"), the loads of a position, the compressed length, a compression,
    // the data file's set length.
    enum class Uncomputable {
        Pressure, StrippingForce, InitialLoads, StartLoads, FinalLoads, CompressedLength, StartCompression, SetLength
    };

    // The boxes the report and the drawing read as numbers: the die's data,
    // the compressions, the spring count, the bite (mode "all") or the
    // distance before bottom dead centre (mode "part"), and in mode "all"
    // the pressure and the stripping force. One that holds text but no
    // number (or a number too large to calculate with) is the user's to
    // correct: nothing is worked out from it. The first such box, in the
    // window's order; after the boxes, the first value that the output
    // prints, or that a rule the report runs again works out, and that
    // cannot be computed (uncomputable), named by the boxes it is worked out
    // from, or, where none of them holds a large number, by the chosen
    // spring's values that are (its length, its rates), with the size list
    // as `box`; a force box among those that holds a number beyond a double
    // is refused as typed. An empty box passes. The check itself throws
    // nothing. `box` takes the focus, `message` says why.
    struct RefusedNumber {
        Ctl box;
        QString message;
        VbError error;
    };
    std::optional<RefusedNumber> refusedNumber(CheckedFor output) const;
    // Refuses that box (refuseNumber) and throws its error; nothing when
    // every one is empty or a number.
    void checkNumberBoxes(CheckedFor output);
    // True when a spring is chosen; else the report's message that none is.
    bool springChosen();
    // Whether the drawing may be made now: checkNumberBoxes (which throws),
    // then springChosen.
    bool readyToDraw();

    // --- the rules themselves (public so they can be driven one by one) --------
    bool fTextBoxNumberCheck(Ctl box);
    float Rud(float x, int n);
    void aturyoku_keisan();
    void aturyoku_keisan2();
    void Tawami_Hyoji();
    void assyuku_Hyoji();
    void SpOnly();
    void Option1_Click();
    void Option2_Click();
    void Option13_Click();
    void Option14_Click();
    void Option15_Click();
    void Text39Clar();
    void OptionButton_Clear();
    void OptionButton_Set();
    void optionbutton_view();
    void op14_ON();
    void op14_OFF();
    void op15_ON();
    void op15_OFF();
    void check1();
    void Grapusyori();
    void Text1_Change();
    void SpChenge();
    void DataSearch();
    void Dsize_DataSearch();
    void List1_Click();
    void List2_Click();

private:
    void installRules();
    void designPictures();
    void textChange(Ctl box);
    QString rounded(const QString& text);
    // The pressure and the stripping force as the rules compute them from
    // the boxes, before they are written and rounded.
    double pressureValue() const;
    double strippingValue() const;
    void pressureRule();
    void strippingRule();
    void showForce(Ctl box, Ctl label, double value);
    void startLoadRule(Ctl label);
    void label51Change();
    void optionChoice(int which);
    void applyUseCountChoice(int which);
    void buildReport();
    // The report's compressions, worked out with `initial` as the initial
    // compression.
    ReportCompressions finalAndStartCompressions(double initial) const;
    // The first value that `output` prints, or that the rules the report
    // runs again work out, and that cannot be computed, in the order the
    // rules and the report work them out, each exactly as they do, with
    // `initial` as the initial compression; `largest` bounds the size of
    // every box's number and of `initial`.
    std::optional<Uncomputable> uncomputable(CheckedFor output, double initial, double largest) const;
    // True when the judgement warns of this final deflection: beyond the
    // allowed deflection of the use count chosen, or when none is, of the
    // one kept.
    bool exceedsAllowance(const QString& finalDeflection) const;
    QString partStartSpringLoadN() const;
    void seriesSequence(const QString& code);
    void kindSequence(const QString& kind);
    // Sets a picture button's picture after making sure its file is there,
    // as loading a picture would; VbError(53) when it is not.
    void loadPicture(Ctl c, const QString& file);
    // Enables or disables a command button of the result box with the
    // picture of that state ("materials/<name>_off.gif" / "_disable.gif").
    void setCommandButton(Ctl button, const char16_t* name, bool enabled);

    UserInterface& ui_;
    CalcScreen& screen_;
    Form form_;
    // The box a rule is writing a computed force into: the number check,
    // which is for what the user types, leaves that write as it is.
    std::optional<Ctl> computedBox_;
};

}  // namespace tolvane
