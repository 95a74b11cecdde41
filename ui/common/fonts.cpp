#include "fonts.h"

#include <QStringList>

namespace ym::ui {

namespace {

QFont MakeFont(const QStringList& families, QFont::StyleHint hint, double points, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace

QFont SongFont(double points, bool bold) {
    static const QStringList families = {QStringLiteral("宋体"),
                                         QStringLiteral("SimSun"),
                                         QStringLiteral("NSimSun"),
                                         QStringLiteral("AR PL UMing CN"),
                                         QStringLiteral("AR PL UMing TW"),
                                         QStringLiteral("Noto Serif CJK SC"),
                                         QStringLiteral("Source Han Serif SC"),
                                         QStringLiteral("WenQuanYi Zen Hei"),
                                         QStringLiteral("Noto Sans CJK SC")};
    return MakeFont(families, QFont::Serif, points, bold);
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
