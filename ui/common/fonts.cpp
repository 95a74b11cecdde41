#include "fonts.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QList>
#include <QRawFont>
#include <QScreen>
#include <QStringList>

#include <cmath>

namespace ym::ui {

namespace {

// The families of a fall-back list that are installed, in the list's order: the font
// system then looks up only faces that exist. Naming missing ones (宋体 and SimSun on a
// Linux desktop) costs a font-configuration alias lookup for every control at start-up.
QStringList Installed(const QStringList& families) {
    // One list of the installed families rather than a query per name, which would
    // resolve each name through the configuration's aliases.
    static const QStringList installed = QFontDatabase::families();
    QStringList present;
    for (const QString& family : families) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            present.append(family);
        }
    }
    return present.isEmpty() ? families : present;
}

QFont MakeFont(const QStringList& families, QFont::StyleHint hint, double points, bool bold) {
    QFont font;
    font.setFamilies(Installed(families));
    font.setStyleHint(hint);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// The pixel sizes at which a face carries drawn bitmaps: the one-bit strikes listed in its
// EBLC table (a 48-byte record per strike after an 8-byte header; ppemY at byte 45,
// bitDepth at byte 46).
QList<int> BitmapStrikes(const QRawFont& face) {
    const QByteArray eblc = face.fontTable("EBLC");
    constexpr qsizetype kHeader = 8;
    constexpr qsizetype kRecord = 48;
    QList<int> sizes;
    if (eblc.size() < kHeader) {
        return sizes;
    }
    const auto byte = [&eblc](qsizetype at) { return static_cast<unsigned char>(eblc[at]); };
    const quint32 count = (quint32{byte(4)} << 24) | (quint32{byte(5)} << 16) |
                          (quint32{byte(6)} << 8) | quint32{byte(7)};
    for (quint32 i = 0; i < count; ++i) {
        const qsizetype record = kHeader + static_cast<qsizetype>(i) * kRecord;
        if (record + kRecord > eblc.size()) {
            break;
        }
        if (byte(record + 46) == 1) {
            sizes.append(byte(record + 45));
        }
    }
    return sizes;
}

// Whether text in this font, not antialiased, would be drawn from the bitmaps of the face
// that draws its Chinese. Qt uses bitmaps only at a strike's pixel size and only unscaled: on
// a scaled screen it renders the outlines. The primary screen decides.
bool DrawsFromBitmaps(const QFont& font, double points, bool bold) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || screen->devicePixelRatio() != 1.0) {
        return false;
    }
    const int pixels = static_cast<int>(std::lround(points * screen->logicalDotsPerInchY() / 72.0));
    // Finding the face that draws the Chinese loads a font engine: a window asks for the
    // same few sizes dozens of times, so each size is looked up once.
    static QHash<int, bool> bySize;
    const int key = pixels * 2 + (bold ? 1 : 0);
    if (const auto known = bySize.constFind(key); known != bySize.constEnd()) {
        return *known;
    }
    const QRawFont face = QRawFont::fromFont(font, QFontDatabase::SimplifiedChinese);
    const bool bitmaps = face.isValid() && BitmapStrikes(face).contains(pixels);
    bySize.insert(key, bitmaps);
    return bitmaps;
}

} // namespace

// AR PL UMing is a light face: antialiased, its hairline strokes at window sizes never
// reach their colour, and pale colours on the pale panels hardly read. At 11-16 pixels it
// carries drawn bitmaps, as 宋体 does, and those are used when antialiasing is off, so there
// the text is drawn solid from them. Other sizes, and faces without bitmaps, keep
// antialiased outlines, fully hinted so that stems sit on whole pixels. AR PL SungtiL GB
// follows: unlike the Noto and Source Han serifs it has half-width Latin, on which the
// spaced-out captions line up.
QFont SongFont(double points, bool bold) {
    static const QStringList families = {QStringLiteral("宋体"),
                                         QStringLiteral("SimSun"),
                                         QStringLiteral("NSimSun"),
                                         QStringLiteral("AR PL UMing CN"),
                                         QStringLiteral("AR PL UMing TW"),
                                         QStringLiteral("AR PL SungtiL GB"),
                                         QStringLiteral("Noto Serif CJK SC"),
                                         QStringLiteral("Source Han Serif SC"),
                                         QStringLiteral("WenQuanYi Zen Hei"),
                                         QStringLiteral("Noto Sans CJK SC")};
    QFont font = MakeFont(families, QFont::Serif, points, bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    if (DrawsFromBitmaps(font, points, bold)) {
        font.setStyleStrategy(QFont::NoAntialias);
    }
    return font;
}

QFont LishuFont(double points, bool bold) {
    static const QStringList families = {QStringLiteral("隶书"),
                                         QStringLiteral("LiSu"),
                                         QStringLiteral("STLiti"),
                                         QStringLiteral("AR PL UKai CN"),
                                         QStringLiteral("AR PL UKai TW"),
                                         QStringLiteral("AR PL UMing CN"),
                                         QStringLiteral("Noto Serif CJK SC"),
                                         QStringLiteral("WenQuanYi Zen Hei")};
    return MakeFont(families, QFont::Serif, points, bold);
}

QFont ComicFont(double points, bool bold) {
    static const QStringList families = {
        QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"),
        QStringLiteral("Comic Relief"), QStringLiteral("DejaVu Sans")};
    return MakeFont(families, QFont::Decorative, points, bold);
}

QFont CourierFont(double points, bool bold) {
    static const QStringList families = {QStringLiteral("Courier"), QStringLiteral("Courier New"),
                                         QStringLiteral("Liberation Mono"),
                                         QStringLiteral("DejaVu Sans Mono")};
    return MakeFont(families, QFont::TypeWriter, points, bold);
}

QFont TahomaFont(double points, bool bold) {
    static const QStringList families = {QStringLiteral("Tahoma"), QStringLiteral("Verdana"),
                                         QStringLiteral("DejaVu Sans"),
                                         QStringLiteral("Liberation Sans")};
    return MakeFont(families, QFont::SansSerif, points, bold);
}

QFont ScriptFont(double points, bool bold) {
    static const QStringList families = {QStringLiteral("Brush Script MT"),
                                         QStringLiteral("Brush Script Std"),
                                         QStringLiteral("Dancing Script"),
                                         QStringLiteral("URW Chancery L"),
                                         QStringLiteral("Z003"),
                                         QStringLiteral("TeX Gyre Chorus"),
                                         QStringLiteral("DejaVu Serif")};
    QFont font = MakeFont(families, QFont::Cursive, points, bold);
    // A face without an italic of its own is slanted, so the fall-backs still lean.
    font.setItalic(true);
    return font;
}

} // namespace ym::ui
