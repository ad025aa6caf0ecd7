#include "frame/banner.h"

#include "frame/look.h"
#include "frame/webservers.h"
#include "frame/widgets.h"
#include "services/clock.h"
#include "services/folders.h"
#include "services/log.h"
#include "services/numtext.h"
#include "services/textfile.h"
#include "services/ui.h"
#include "services/vberror.h"

#include <QCoreApplication>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>
#include <exception>

namespace tolvane {
using namespace look;
namespace {

const QString kOwner = QStringLiteral("frmMain");
const QString kDefaultText = QStringLiteral("Tolvane");
constexpr quint32 kDefaultForeColor = 0xE0E0E0;
constexpr float kDefaultFontSize = 10;

QString messageCsvPath() { return SettingFolder() + QStringLiteral("/Vornup-B.csv"); }
QString accessNoticePath() { return SettingFolder() + QStringLiteral("/temp.csv"); }

VbError invalidProperty() { return VbError(380, QStringLiteral("プロパティの値が不正です。")); }

// A message file's number becomes a whole number as every whole-number
// conversion of the program does: to the nearest, a half to even (2.5 gives
// 2), so a row shows the same however its number is written.
double roundedInRange(const QString& text, double low, double high)
{
    const double rounded = std::nearbyint(cdbl(text));
    if (!(rounded >= low && rounded <= high))
        throw VbError(kErrOverflow);
    return rounded;
}

int alignmentOf(const QString& text)
{
    const int value = int(roundedInRange(text, -32768, 32767));
    if (value < 0 || value > 2)
        throw invalidProperty();
    return value;
}

quint32 colourOf(const QString& text)
{
    const double value = roundedInRange(text, -2147483648.0, 2147483647.0);
    // A plain colour, or one of the system's colours: the top bit set and
    // the colour's index (0 to 24) below it.
    const quint32 number = quint32(qint32(value));
    const bool plain = value >= 0 && value <= 0xFFFFFF;
    const bool system = number >= 0x80000000u && number <= 0x80000018u;
    if (!plain && !system)
        throw invalidProperty();
    return number;
}

float fontSizeOf(const QString& text)
{
    const float value = csng(text);
    if (!(value > 0 && value <= 2048))
        throw invalidProperty();
    return value;
}

const QString& column(const QStringList& columns, qsizetype index)
{
    if (index >= columns.size())
        throw VbError(kErrSubscript);
    return columns[index];
}

}  // namespace

QString softwareVersionText() { return QStringLiteral("2017.11 Ver 2.0.3"); }

QtBannerTimer::QtBannerTimer()
{
    timer_.setInterval(kIntervalMs);
    // A coarse timer may drift by seconds per minute; the interval counts minutes.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { fire(); });
}

void QtBannerTimer::setEnabled(bool on)
{
    // Enabling a running timer must not restart its minute.
    if (on && !timer_.isActive())
        timer_.start();
    else if (!on)
        timer_.stop();
}

SystemRandom::SystemRandom() : engine_(std::random_device{}()) {}

void SystemRandom::randomize()
{
    std::seed_seq seed{quint32(clock().now().toMSecsSinceEpoch()), quint32(clock().monotonicMs()), quint32(engine_())};
    engine_.seed(seed);
}

float SystemRandom::next()
{
    // 24 random bits make every single-precision value below 1 reachable
    // and 1 itself impossible.
    return float(engine_() >> 8) * (1.0f / 16777216.0f);
}

MessageBanner::MessageBanner(UserInterface& ui, QWidget* parent)
    : QWidget(parent), ui_(ui), linkCursor_(Qt::PointingHandCursor), messageServer_(defaultMessageServer()),
      fetcher_(std::make_unique<NetworkFetcher>()), timer_(std::make_unique<QtBannerTimer>()),
      random_(std::make_unique<SystemRandom>()), softwareVersion_(softwareVersionText())
{
    setObjectName(QStringLiteral("imgMsgBackGround"));
    // A click anywhere on the text is a click on the banner.
    auto* label = new PictureButton(this);
    label->setObjectName(QStringLiteral("lblMsg"));
    // The banner's text comes from the web: never let it be markup.
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setOpenExternalLinks(false);
    label->setWordWrap(false);
    connect(label, &PictureButton::clicked, this, &MessageBanner::lblMsg_Click);
    label_ = label;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 0);
    layout->addWidget(label_);
    QFont font = label_->font();
    font.setFamily(QStringLiteral("IPAPGothic"));
    label_->setFont(font);
    setAlignment(alignment_);
    setForeColor(foreColor_);
    setFontSize(fontSize_);
    setLinkPointer(false);
    setMinimumHeight(26);
    timer_->setHandler([this] { Timer1_Timer(); });
}

MessageBanner::~MessageBanner() = default;

void MessageBanner::setMessageServer(const QString& baseAddress) { messageServer_ = baseAddress; }
void MessageBanner::setFetcher(std::unique_ptr<UrlFetcher> fetcher) { fetcher_ = std::move(fetcher); }

void MessageBanner::setTimer(std::unique_ptr<BannerTimer> timer)
{
    const bool wasOn = timer_ && timer_->isEnabled();
    if (timer_)
        timer_->setEnabled(false);
    timer_ = std::move(timer);
    timer_->setHandler([this] { Timer1_Timer(); });
    timer_->setEnabled(wasOn);
}

void MessageBanner::setRandomSource(std::unique_ptr<RandomSource> random) { random_ = std::move(random); }
void MessageBanner::setDatabaseVersionReader(std::function<QString()> reader) { readDbVersion_ = std::move(reader); }
void MessageBanner::setSoftwareVersionText(const QString& text) { softwareVersion_ = text; }

void MessageBanner::loadBackground()
{
    background_ = loadMaterialPicture(QStringLiteral("back_msg.gif"));
    update();
}

void MessageBanner::loadLinkCursor()
{
    linkCursor_ = loadMaterialCursor(QStringLiteral("cursor.cur"));
    setLinkPointer(linkPointer_);
}

QString MessageBanner::bannerText() const { return label_->text(); }

QSize MessageBanner::sizeHint() const
{
    // The background picture is drawn for the banner's whole width.
    return background_.isNull() ? QSize(640, 26) : background_.size();
}

void MessageBanner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (background_.isNull())
        painter.fillRect(rect(), QColor(0x30, 0x30, 0x30));
    else
        painter.drawPixmap(rect(), background_);
}

// ---------------------------------------------------------------------------

void MessageBanner::InitMsgBanner()
{
    DeleteCache(messageCsvUrl(messageServer_));
    if (DlUrlFile()) {
        CheckDatabaseVer();
        // A file whose first row cannot be read is treated as one that never
        // came: its error line, the default banner, and start-up goes on.
        try {
            const QStringList lines = ReadTextFile(messageCsvPath());
            if (lines.isEmpty())
                throw VbError(kErrSubscript);
            msgData_ = usableMessageData(CreateDataArray(lines));
            msgCount_ = qint16(msgData_.size() - 1);
            timer_->setEnabled(true);
        } catch (const VbError& e) {
            logError(errorLabel(kOwner, QStringLiteral("InitMsgBanner")), e);
            msgLoaded_ = false;
            msgData_.clear();
            msgCount_ = 0;
            setLinkPointer(false);
        }
    } else {
        setLinkPointer(false);
    }
    DeleteFileQuietly(messageCsvPath());
    DeleteFileQuietly(accessNoticePath());
    updateMsgTurn_ = QStringLiteral("DB");
    SetMessage();
}

bool MessageBanner::DlUrlFile()
{
    try {
        if (!fetcher_)
            throw VbError(kErrInvalidCall);
        // One deadline for both: a network that drops packets must not hold
        // the start, with nothing on screen, once per request.
        const QDeadlineTimer deadline(downloadDeadlineMs_);
        // The access notice's answer means nothing to us; only the request counts.
        fetcher_->download(accessNoticeUrl(messageServer_), accessNoticePath(), deadline);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const bool ok = fetcher_->download(messageCsvUrl(messageServer_), messageCsvPath(), deadline);
        fetcher_->endDownloads();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (!ok) {
            WriteEventLog(QStringLiteral("Msgデータ無し"));
            msgLoaded_ = false;
            return false;
        }
        WriteEventLog(QStringLiteral("Msgデータ取得完了"));
        msgLoaded_ = true;
        return true;
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("DlUrlFile")), e);
        return false;
    }
}

void MessageBanner::DeleteCache(const QString& url)
{
    try {
        if (fetcher_ && fetcher_->removeCached(url))
            WriteEventLog(QStringLiteral("キャッシュを削除"));
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("DeleteCache")), e);
    }
}

void MessageBanner::CheckDatabaseVer()
{
    try {
        if (!readDbVersion_)
            throw VbError(kErrInvalidCall);
        dbVersion_ = readDbVersion_();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("CheckDatabaseVer")), e);
    } catch (const std::exception&) {
        logError(errorLabel(kOwner, QStringLiteral("CheckDatabaseVer")), VbError(kErrInvalidCall));
    }
}

void MessageBanner::SetMessage()
{
    try {
        random_->randomize();
        shownMsgLink_.clear();
        if (!msgLoaded_) {
            SetDefaultMsg();
            return;
        }
        const QStringList& control = msgData_.isEmpty() ? QStringList() : msgData_.first();
        // A notice whose row cannot be shown is left out, as if its version were current.
        if (column(control, 1) != dbVersion_ && isUsableNotice(1)) {
            if (updateMsgTurn_ == QLatin1String("DB")) {
                SetDbUpdtMsg();
                SetMsgPointer();
                updateMsgTurn_ = QStringLiteral("SOFT");
                return;
            }
        } else {
            updateMsgTurn_ = QStringLiteral("SOFT");
        }
        if (column(control, 2) != softwareVersion_ && isUsableNotice(2)) {
            if (updateMsgTurn_ == QLatin1String("SOFT")) {
                SetSofUpdtMsg();
                SetMsgPointer();
                updateMsgTurn_ = QStringLiteral("DB");
                return;
            }
        } else {
            updateMsgTurn_ = QStringLiteral("DB");
        }
        if (msgCount_ < 3) {
            // Not one ordinary message: the banner shows its own name.
            SetDefaultMsg();
            return;
        }
        // In single precision, the precision of r: MsgCount x r stays below
        // MsgCount, so rows 1 to MsgCount are picked alike.
        const float r = random_->next();
        const float scaled = float(msgCount_) * r;
        msgIndex_ = qint16(int(std::floor(scaled)) + 1);
        SetMsgData();
        SetMsgPointer();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("SetMessage")), e);
    }
}

void MessageBanner::SetDefaultMsg()
{
    try {
        label_->setText(kDefaultText);
        setLinkPointer(false);
        setForeColor(kDefaultForeColor);
        setFontSize(kDefaultFontSize);
        shownMsgLink_.clear();
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("SetDefaultMsg")), e);
    }
}

void MessageBanner::applyRow(const QStringList& columns)
{
    label_->setText(column(columns, 0));
    setAlignment(alignmentOf(column(columns, 2)));
    setForeColor(colourOf(column(columns, 3)));
    setFontSize(fontSizeOf(column(columns, 4)));
    shownMsgLink_ = column(columns, 1);
}

void MessageBanner::SetMsgData()
{
    try {
        // The two notices are no ordinary messages; their picks go to row 3.
        if (msgIndex_ == 1 || msgIndex_ == 2)
            msgIndex_ = 3;
        if (msgIndex_ < 0 || msgIndex_ >= msgData_.size())
            throw VbError(kErrSubscript);
        applyRow(msgData_[msgIndex_]);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("SetMsgData")), e);
    }
}

void MessageBanner::showNotice(int row, const QString& procedure)
{
    try {
        if (msgData_.size() <= row)
            throw VbError(kErrSubscript);
        applyRow(msgData_[row]);
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, procedure), e);
    }
}

void MessageBanner::SetDbUpdtMsg() { showNotice(1, QStringLiteral("SetDbUpdtMsg")); }

void MessageBanner::SetSofUpdtMsg() { showNotice(2, QStringLiteral("SetSofUpdtMsg")); }

void MessageBanner::SetMsgPointer()
{
    setLinkPointer(isOpenableLink(shownMsgLink_));
}

void MessageBanner::Timer1_Timer()
{
    try {
        if (msgData_.isEmpty())
            throw VbError(kErrSubscript);
        const double interval = cdbl(column(msgData_.first(), 0));
        if (double(msgTick_) >= interval) {
            SetMessage();
            msgTick_ = 1;
        } else {
            if (msgTick_ == 32767)
                throw VbError(kErrOverflow);
            ++msgTick_;
        }
    } catch (const VbError& e) {
        logError(errorLabel(kOwner, QStringLiteral("Timer1_Timer")), e);
    }
}

void MessageBanner::lblMsg_Click()
{
    if (isOpenableLink(shownMsgLink_))
        ui_.openUrl(shownMsgLink_);
}

void MessageBanner::CleaningUp()
{
    timer_->setEnabled(false);
    msgTick_ = 0;
    msgIndex_ = 0;
    msgCount_ = 0;
    shownMsgLink_.clear();
    msgData_.clear();
}

// ---------------------------------------------------------------------------

void MessageBanner::setAlignment(int alignment)
{
    alignment_ = alignment;
    const Qt::Alignment horizontal = alignment == 1 ? Qt::AlignRight : alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
    label_->setAlignment(horizontal | Qt::AlignVCenter);
}

void MessageBanner::setForeColor(quint32 color)
{
    foreColor_ = color;
    setVbForeColor(label_, color);
}

void MessageBanner::setFontSize(float size)
{
    fontSize_ = size;
    QFont font = label_->font();
    font.setPointSizeF(size);
    label_->setFont(font);
}

void MessageBanner::setLinkPointer(bool on)
{
    linkPointer_ = on;
    label_->setCursor(on ? linkCursor_ : QCursor(Qt::ArrowCursor));
}

bool MessageBanner::isOpenableLink(const QString& link)
{
    if (link.isEmpty())
        return false;
    const QUrl url(link, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

MessageRow MessageBanner::parseMessageRow(const QStringList& columns)
{
    MessageRow row;
    row.text = column(columns, 0);
    row.link = column(columns, 1);
    row.alignment = alignmentOf(column(columns, 2));
    row.foreColor = colourOf(column(columns, 3));
    row.fontSize = fontSizeOf(column(columns, 4));
    return row;
}

QList<QStringList> MessageBanner::usableMessageData(QList<QStringList> rows)
{
    // Empty lines after the last row are no rows.
    while (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    // Row 0 with the interval and both versions, or nothing can be used.
    if (rows.isEmpty())
        throw VbError(kErrSubscript);
    const QStringList& control = rows.first();
    column(control, 2);
    cdbl(column(control, 0));
    // Each other row stands alone: one that cannot be shown is logged once
    // and never offered. The notices keep their places, so a bad one stays
    // and is passed over whenever its turn comes.
    QList<QStringList> usable{control};
    for (qsizetype i = 1; i < rows.size(); ++i) {
        try {
            parseMessageRow(rows[i]);
            usable.append(rows[i]);
        } catch (const VbError& e) {
            logError(errorLabel(kOwner, QStringLiteral("InitMsgBanner")),
                     VbError(e.number(), e.description() + QStringLiteral("（") + QString::number(i + 1)
                                             + QStringLiteral("行目）")));
            if (i <= 2)
                usable.append(QStringList());
        }
    }
    return usable;
}

bool MessageBanner::isUsableNotice(int row) const { return row < msgData_.size() && !msgData_[row].isEmpty(); }

}  // namespace tolvane
