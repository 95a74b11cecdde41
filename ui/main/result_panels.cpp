#include "ui/main/result_panels.h"

#include "ui/common/colors.h"
#include "ui/common/controls.h"
#include "ui/common/fonts.h"
#include "ui/common/row_panel.h"
#include "ui/common/text.h"
#include "ui/common/twips.h"

#include <QFrame>
#include <QLabel>

namespace ym::ui {

namespace {

constexpr double kPanelWidth = 4800;
constexpr double kPanelHeight = 5000;
constexpr double kShadowRight = 120;
constexpr double kShadowDown = 180;
constexpr double kRowPitch = 320;
constexpr double kRowHeight = 300;
// The captions are at most six characters wide; the values take the rest of the row, so
// that the largest amounts the fields admit show whole.
constexpr double kCaptionLeft = 300;
constexpr double kCaptionWidth = 1500;
constexpr double kValueLeft = 1800;
constexpr double kValueWidth = 2700;
constexpr double kLineLeft = 240;
constexpr double kLineWidth = 4320;
constexpr double kRowPoints = 10.5;
constexpr double kSmallestRowPoints = 6;

// Where the rows, rules and currency notes of each panel sit, in twips from the
// panel's top. The yuan panel puts its currency under the rows, the dollar panel above.
struct PanelGeometry {
    double firstRow;
    double topRule;
    double bottomRule;
    double notesTop;
};
constexpr PanelGeometry kAGeometry{670, 550, 3990, 4150};
constexpr PanelGeometry kBGeometry{790, 670, 4750, 250};

QLabel* MakeRowLabel(QWidget* parent, const QString& name, const QString& text, const QRect& where,
                     Qt::Alignment alignment) {
    return MakeLabel(parent, name, text, where, SongFont(kRowPoints), alignment | Qt::AlignVCenter);
}

void BuildRows(ResultPanel& panel, const char* captionName, const char* valueName,
               double firstRow) {
    const std::vector<ResultRow> rows = ResetRows(panel.kind);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const double top = firstRow + kRowPitch * static_cast<double>(i);
        const int index = static_cast<int>(i);
        QLabel* caption =
            MakeRowLabel(panel.picture, ArrayName(captionName, index), FromUtf8(rows[i].caption),
                         TwipsRect(kCaptionLeft, top, kCaptionWidth, kRowHeight), Qt::AlignLeft);
        QLabel* value =
            MakeRowLabel(panel.picture, ArrayName(valueName, index), FromUtf8(rows[i].value),
                         TwipsRect(kValueLeft, top, kValueWidth, kRowHeight), Qt::AlignRight);
        if (rows[i].caption == "手续费合计：") {
            caption->setToolTip(QStringLiteral("等于以上各项费用的总和"));
        }
        panel.captions.push_back(caption);
        panel.values.push_back(value);
    }
}

QFrame* MakeResultPicture(QWidget* parent, const QString& name, double left, double top) {
    return MakePanel(parent, name, TwipsRect(left, top, kPanelWidth, kPanelHeight), Qt::black);
}

void ColorRowFromSlot(ResultPanel& panel, const std::vector<ResultRow>& rows, int row,
                      const ColorTable& colors) {
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        return;
    }
    const ColorSlot slot = rows[static_cast<std::size_t>(row)].slot;
    SetRowColor(panel, row, SchemeColor(colors[static_cast<std::size_t>(slot)]));
}

} // namespace

ResultPanels BuildResultPanels(QWidget* parent, double left, double top) {
    ResultPanels panels;
    panels.shadow = MakeResultPicture(parent, QStringLiteral("Picture4"), left + kShadowRight,
                                      top + kShadowDown);

    panels.a.kind = Panel::AShare;
    panels.a.picture = MakeResultPicture(parent, QStringLiteral("Picture2_0"), left, top);
    panels.a.lines = {MakeLine(panels.a.picture, QStringLiteral("Line3"), kLineLeft,
                               kAGeometry.topRule, kLineWidth),
                      MakeLine(panels.a.picture, QStringLiteral("Line4"), kLineLeft,
                               kAGeometry.bottomRule, kLineWidth)};
    BuildRows(panels.a, "Label3", "Label4", kAGeometry.firstRow);
    panels.a.notes = {MakeRowLabel(
        panels.a.picture, QStringLiteral("Label10"), QStringLiteral("交易币种:人民币(元)"),
        TwipsRect(kCaptionLeft, kAGeometry.notesTop, 4200, kRowHeight), Qt::AlignLeft)};

    panels.b.kind = Panel::BShare;
    panels.b.picture = MakeResultPicture(parent, QStringLiteral("Picture2_1"), left, top);
    panels.b.notes = {
        MakeRowLabel(panels.b.picture, QStringLiteral("Label5"), QStringLiteral("交易币种:"),
                     TwipsRect(kCaptionLeft, kBGeometry.notesTop, 1000, kRowHeight), Qt::AlignLeft),
        MakeRowLabel(panels.b.picture, QStringLiteral("Label9"),
                     QStringLiteral("上海--美元USD,深圳--港币HKD"),
                     TwipsRect(kCaptionLeft + 1000, kBGeometry.notesTop, 3200, kRowHeight),
                     Qt::AlignLeft)};
    panels.b.lines = {MakeLine(panels.b.picture, QStringLiteral("Line5_0"), kLineLeft,
                               kBGeometry.topRule, kLineWidth),
                      MakeLine(panels.b.picture, QStringLiteral("Line6_0"), kLineLeft,
                               kBGeometry.bottomRule, kLineWidth)};
    BuildRows(panels.b, "Label7", "Label8", kBGeometry.firstRow);
    SetRowValues(panels.a, ResetRows(Panel::AShare));
    SetRowValues(panels.b, ResetRows(Panel::BShare));

    panels.shadow->lower();
    return panels;
}

void ShowPanel(ResultPanels& panels, Panel shown) {
    ResultPanel& show = panels[shown];
    ResultPanel& hide = panels[shown == Panel::AShare ? Panel::BShare : Panel::AShare];
    show.picture->show();
    hide.picture->hide();
}

void SetRowValues(ResultPanel& panel, const std::vector<ResultRow>& rows) {
    const std::size_t count = std::min(rows.size(), panel.values.size());
    for (std::size_t i = 0; i < count; ++i) {
        const QString value = FromUtf8(rows[i].value);
        // A value is never cut: one that does not fit its column is written smaller.
        SetFittedText(panel.values[i], value, kRowPoints, kSmallestRowPoints);
        // A screen reader on the value reads the whole row: "纯利润 840.50元".
        panel.values[i]->setAccessibleName(SpokenName(panel.captions[i]->text()) +
                                           QLatin1Char(' ') + value);
    }
}

void SetRowColor(ResultPanel& panel, int row, const QColor& color) {
    if (row < 0 || row >= static_cast<int>(panel.values.size())) {
        return;
    }
    SetForeground(panel.captions[static_cast<std::size_t>(row)], color);
    SetForeground(panel.values[static_cast<std::size_t>(row)], color);
}

void ColorAllRows(ResultPanel& panel, const std::vector<ResultRow>& rows,
                  const ColorTable& colors) {
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        ColorRowFromSlot(panel, rows, i, colors);
    }
}

void ColorProfitRows(ResultPanel& panel, const std::vector<ResultRow>& rows,
                     const ColorTable& colors) {
    ColorRowFromSlot(panel, rows, NetProfitRow(panel.kind), colors);
    ColorRowFromSlot(panel, rows, YieldRow(panel.kind), colors);
}

void ColorBackground(ResultPanel& panel, const ColorTable& colors) {
    const ColorSlot slot = panel.kind == Panel::AShare ? kSlotAPanel : kSlotBPanel;
    SetBackground(panel.picture, SchemeColor(colors[slot]));
}

void ColorLines(ResultPanel& panel, const ColorTable& colors) {
    const ColorSlot slot = panel.kind == Panel::AShare ? kSlotALines : kSlotBLines;
    for (QFrame* line : panel.lines) {
        SetBackground(line, SchemeColor(colors[slot]));
    }
}

void ColorNotes(ResultPanel& panel, const ColorTable& colors) {
    for (QLabel* note : panel.notes) {
        SetForeground(note, SchemeColor(colors[kSlotDescription]));
    }
}

} // namespace ym::ui
