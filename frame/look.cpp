#include "frame/look.h"

#include "services/folders.h"
#include "services/inifile.h"
#include "services/vberror.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLibraryInfo>
#include <QPalette>
#include <QTranslator>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace tolvane::look {
namespace {

const char* const kBackProperty = "vbBackColor";
const char* const kForeProperty = "vbForeColor";

QString materialPath(const QString& fileName)
{
    const QString path = MaterialsFolder() + u'/' + fileName;
    if (!QFile::exists(path))
        throw VbError(kErrFileNotFound);
    return path;
}

// Qt's Japanese texts, and the few that its Japanese catalogue lacks: the
// printer setup's range choice and its two-sided printing.
class QtJapanese final : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* source, const char* disambiguation, int n) const override
    {
        struct Missing {
            const char* context;
            const char* source;
            const char16_t* japanese;
        };
        static constexpr Missing kMissing[] = {
            {"QPrintSettingsOutput", "Pages", u"ページ指定"},
            {"QPrintSettingsOutput", "Double Sided Printing", u"両面印刷"},
            {"QPrintSettingsOutput", "Off", u"しない"},
            {"QPrintSettingsOutput", "Long side binding", u"長辺とじ"},
            {"QPrintSettingsOutput", "Short side binding", u"短辺とじ"},
        };
        for (const Missing& m : kMissing) {
            if (qstrcmp(context, m.context) == 0 && qstrcmp(source, m.source) == 0)
                return QString::fromUtf16(m.japanese);
        }
        return QTranslator::translate(context, source, disambiguation, n);
    }
};

}  // namespace

QFont programFont() { return QFont(QStringLiteral("IPAPGothic"), 9); }

QTranslator* installQtJapanese(QCoreApplication& app)
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    auto* translator = new QtJapanese(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

void fitCaption(QLabel* label)
{
    // A caption that ends on its parent's edge reads as cut: keep a little room.
    constexpr int kEdgeRoom = 3;
    int room = label->contentsRect().width();
    if (const QWidget* parent = label->parentWidget())
        room = std::min(room, parent->width() - label->x() - kEdgeRoom);
    // The sizes from the label's own down to 6 points, a quarter point
    // apart: the first that fits is kept. Each size measured costs a font of
    // its own, so the search starts where the width at the label's size,
    // scaled, says the fit is, and moves from there to the size that fits
    // while the next larger one does not; as a larger size never measures
    // narrower, that is the first that fits.
    const QString text = label->text();
    QFont font = label->font();
    const qreal largest = font.pointSizeF();
    const int full = QFontMetrics(font).horizontalAdvance(text);
    if (full > room && largest > 6) {
        const auto sizeAt = [&](int step) { return largest - 0.25 * step; };
        const auto fits = [&](int step) {
            font.setPointSizeF(sizeAt(step));
            return QFontMetrics(font).horizontalAdvance(text) <= room;
        };
        int last = 1;  // the first size at or below 6, where the search ends in any case
        while (sizeAt(last) > 6)
            ++last;
        int step = 1;
        while (step < last && full * sizeAt(step) > room * largest)
            ++step;
        if (fits(step)) {
            while (step > 1 && fits(step - 1))
                --step;
        } else {
            while (step < last && !fits(step + 1))
                ++step;
            if (step < last)
                ++step;
        }
        font.setPointSizeF(sizeAt(step));
    }
    label->setFont(font);
}

VbError invalidPicture() { return VbError(481, QStringLiteral("ピクチャが不正です。")); }

QColor vbColor(quint32 value)
{
    if (value & 0x80000000u) {
        const QPalette palette = QGuiApplication::palette();
        // The desktop's nearest counterpart of each system colour index.
        switch (value & 0xFF) {
        case 0: return palette.color(QPalette::Mid);               // scroll bars
        case 1: return palette.color(QPalette::Dark);              // desktop
        case 2: return palette.color(QPalette::Highlight);         // active caption
        case 3: return palette.color(QPalette::Mid);               // inactive caption
        case 4: return palette.color(QPalette::Window);            // menu bar
        case 5: return palette.color(QPalette::Base);              // window background
        case 6: return palette.color(QPalette::Shadow);            // window frame
        case 7: return palette.color(QPalette::WindowText);        // menu text
        case 9: return palette.color(QPalette::HighlightedText);   // caption text
        case 10: return palette.color(QPalette::Midlight);         // active border
        case 11: return palette.color(QPalette::Midlight);         // inactive border
        case 12: return palette.color(QPalette::Dark);             // application workspace
        case 13: return palette.color(QPalette::Highlight);        // highlight
        case 14: return palette.color(QPalette::HighlightedText);  // highlight text
        case 15: return palette.color(QPalette::Button);           // button face
        case 16: return palette.color(QPalette::Dark);             // button shadow
        case 17: return palette.color(QPalette::PlaceholderText);  // grey text
        case 18: return palette.color(QPalette::ButtonText);       // button text
        case 19: return palette.color(QPalette::WindowText);       // inactive caption text
        case 20: return palette.color(QPalette::Light);            // button highlight
        case 21: return palette.color(QPalette::Shadow);           // 3D dark shadow
        case 22: return palette.color(QPalette::Midlight);         // 3D light
        case 23: return palette.color(QPalette::ToolTipText);      // tool tip text
        case 24: return palette.color(QPalette::ToolTipBase);      // tool tip background
        case 8:                                                    // window text
        default: return palette.color(QPalette::WindowText);
        }
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

SkinColours skinColours()
{
    const bool light = SkinName() == QLatin1String("Light");
    return light ? SkinColours{true, kVbButtonFace, kVbWindowText} : SkinColours{false, 0x303030, 0xFFFFFF};
}

void setVbBackColor(QWidget* widget, quint32 value)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, vbColor(value));
    palette.setColor(QPalette::Base, vbColor(value));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
    widget->setProperty(kBackProperty, QVariant::fromValue(value));
}

void setVbForeColor(QWidget* widget, quint32 value)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, vbColor(value));
    palette.setColor(QPalette::Text, vbColor(value));
    widget->setPalette(palette);
    widget->setProperty(kForeProperty, QVariant::fromValue(value));
}

quint32 vbBackColor(const QWidget* widget)
{
    const QVariant v = widget->property(kBackProperty);
    return v.isValid() ? v.value<quint32>() : 0xFFFFFFFFu;
}

quint32 vbForeColor(const QWidget* widget)
{
    const QVariant v = widget->property(kForeProperty);
    return v.isValid() ? v.value<quint32>() : 0xFFFFFFFFu;
}

QPixmap loadMaterialPicture(const QString& fileName)
{
    // Read as the windows read every picture: a file unchanged since it was
    // last read comes from the pixmap cache, decoded once.
    const QPixmap picture(materialPath(fileName));
    if (picture.isNull())
        throw invalidPicture();
    return picture;
}

QCursor loadMaterialCursor(const QString& fileName)
{
    const QString path = materialPath(fileName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw VbError(kErrPermissionDenied);
    const QByteArray data = file.readAll();
    const QImage image = QImage::fromData(data);
    if (image.isNull())
        throw invalidPicture();
    // A cursor file keeps the hot spot of its first image in the directory
    // entry, where an icon file keeps its colour planes.
    int hotX = -1;
    int hotY = -1;
    if (data.size() >= 14 && data[0] == 0 && data[1] == 0 && data[2] == 2 && data[3] == 0) {
        const auto u16 = [&](int at) { return int(quint8(data[at])) | (int(quint8(data[at + 1])) << 8); };
        hotX = u16(10);
        hotY = u16(12);
        if (hotX >= image.width() || hotY >= image.height())
            hotX = hotY = -1;
    }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

}  // namespace tolvane::look
