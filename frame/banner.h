#pragma once
// The main window's message banner: the message file fetched once at
// start-up, its rows shown one after another, the update notices, and the
// link a click on the banner opens.
//
// The main window owns one MessageBanner, places it, and calls:
//   loadBackground(), loadLinkCursor()  from its picture loader (each throws
//                                       VbError for a missing/bad file);
//   setMsgTick(1)                       after the pictures;
//   InitMsgBanner()                     as the start-up step before its
//                                       last log line;
//   CleaningUp()                        at shutdown.
// Everything the banner reaches outside itself is injectable: the servers,
// the fetcher and its deadline, the timer, the random source, the
// catalogue's version reader and the program's version text.

#include "frame/banner_download.h"

#include <QCursor>
#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <random>

namespace tolvane {

class UserInterface;

// The program's own version as the main window's version label shows it;
// the message file's first row names the newest one in the same form.
QString softwareVersionText();

// The banner's timer: 60-second ticks in the program, ticked by hand in tests.
class BannerTimer {
public:
    virtual ~BannerTimer() = default;
    virtual void setEnabled(bool on) = 0;
    virtual bool isEnabled() const = 0;
    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }

protected:
    void fire()
    {
        if (handler_)
            handler_();
    }

private:
    std::function<void()> handler_;
};

class QtBannerTimer final : public BannerTimer {
public:
    static constexpr int kIntervalMs = 60000;
    QtBannerTimer();
    void setEnabled(bool on) override;
    bool isEnabled() const override { return timer_.isActive(); }
    int intervalMs() const { return timer_.interval(); }
    int remainingMs() const { return timer_.remainingTime(); }

private:
    QTimer timer_;
};

// The random numbers of the message pick.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Seeds the generator anew from the clock.
    virtual void randomize() = 0;
    // The next number, 0 <= r < 1.
    virtual float next() = 0;
};

class SystemRandom final : public RandomSource {
public:
    SystemRandom();
    void randomize() override;
    float next() override;

private:
    std::mt19937 engine_;
};

// One message row, converted: caption, link, alignment (0 left, 1 right,
// 2 centred), text colour 0x00BBGGRR or a system colour, font size in points.
struct MessageRow {
    QString text;
    QString link;
    int alignment = 0;
    quint32 foreColor = 0;
    float fontSize = 0;
};

class MessageBanner : public QWidget {
    Q_OBJECT
public:
    explicit MessageBanner(UserInterface& ui, QWidget* parent = nullptr);
    ~MessageBanner() override;

    // --- what is injected; set before InitMsgBanner ---
    void setMessageServer(const QString& baseAddress);
    QString messageServer() const { return messageServer_; }
    void setFetcher(std::unique_ptr<UrlFetcher> fetcher);
    // The access notice and the message file together wait at most this
    // long; then the start-up goes on as after a failed download.
    static constexpr int kDownloadDeadlineMs = 3000;
    void setDownloadDeadlineMs(int ms) { downloadDeadlineMs_ = ms; }
    int downloadDeadlineMs() const { return downloadDeadlineMs_; }
    void setTimer(std::unique_ptr<BannerTimer> timer);
    void setRandomSource(std::unique_ptr<RandomSource> random);
    // Reads the catalogue's DB_VERSION; throws VbError when it cannot.
    void setDatabaseVersionReader(std::function<QString()> reader);
    // The caption of the main window's version label.
    void setSoftwareVersionText(const QString& text);

    QLabel* lblMsg() const { return label_; }
    // The banner's background "back_msg.gif" and the link pointer
    // "cursor.cur" from the materials folder; VbError when missing or bad.
    void loadBackground();
    void loadLinkCursor();

    // --- the banner's procedures ---
    void InitMsgBanner();
    bool DlUrlFile();
    void DeleteCache(const QString& url);
    void CheckDatabaseVer();
    void SetMessage();
    void SetDefaultMsg();
    void SetMsgData();
    void SetDbUpdtMsg();
    void SetSofUpdtMsg();
    void SetMsgPointer();
    void Timer1_Timer();
    void lblMsg_Click();
    void CleaningUp();

    // --- its state ---
    bool msgLoaded() const { return msgLoaded_; }
    const QList<QStringList>& msgData() const { return msgData_; }
    int msgCount() const { return msgCount_; }
    int msgIndex() const { return msgIndex_; }
    int msgTick() const { return msgTick_; }
    void setMsgTick(int tick) { msgTick_ = qint16(tick); }
    QString dbVersion() const { return dbVersion_; }
    QString updateMsgTurn() const { return updateMsgTurn_; }
    QString shownMsgLink() const { return shownMsgLink_; }
    // True while the banner shows the link pointer (a link to open).
    bool showsLinkPointer() const { return linkPointer_; }
    BannerTimer& timer() { return *timer_; }
    QString bannerText() const;
    int bannerAlignment() const { return alignment_; }
    quint32 bannerForeColor() const { return foreColor_; }
    float bannerFontSize() const { return fontSize_; }
    QSize sizeHint() const override;

    // Only a well-formed http or https address is ever opened: the link comes
    // from a file fetched over plain HTTP.
    static bool isOpenableLink(const QString& link);
    // The columns of a message row; VbError 9 for too few columns, 13 or 6
    // for a value that is no number or out of range, 380 for a value the
    // banner cannot take.
    static MessageRow parseMessageRow(const QStringList& columns);
    // The rows of the file the banner can use: row 0 with the interval and
    // both versions (VbError without it), each other row only when it can
    // be shown, with one error line for each that cannot. A notice that
    // cannot be shown keeps its place as an empty row.
    static QList<QStringList> usableMessageData(QList<QStringList> rows);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyRow(const QStringList& columns);
    // Notice row 1 (database) or 2 (program) is there and can be shown.
    bool isUsableNotice(int row) const;
    // Shows notice row 1 (database) or 2 (program) under its procedure's name.
    void showNotice(int row, const QString& procedure);
    void setAlignment(int alignment);
    void setForeColor(quint32 color);
    void setFontSize(float size);
    void setLinkPointer(bool on);

    UserInterface& ui_;
    QLabel* label_ = nullptr;
    QPixmap background_;
    QCursor linkCursor_;

    QString messageServer_;
    std::unique_ptr<UrlFetcher> fetcher_;
    int downloadDeadlineMs_ = kDownloadDeadlineMs;
    std::unique_ptr<BannerTimer> timer_;
    std::unique_ptr<RandomSource> random_;
    std::function<QString()> readDbVersion_;
    QString softwareVersion_;

    bool msgLoaded_ = false;
    QList<QStringList> msgData_;
    qint16 msgCount_ = 0;
    qint16 msgIndex_ = 0;
    qint16 msgTick_ = 1;
    QString dbVersion_;
    QString updateMsgTurn_ = QStringLiteral("DB");
    QString shownMsgLink_;
    bool linkPointer_ = false;
    int alignment_ = 2;
    quint32 foreColor_ = 0xE0E0E0;
    float fontSize_ = 10;
};

}  // namespace tolvane
