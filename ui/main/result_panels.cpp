#include "ui/main/result_panels.h"

#include "ui/common/colors.h"
#include "ui/common/fonts.h"
#include "ui/common/text.h"
#include "ui/common/twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>

namespace ym::ui {

namespace {

constexpr double kPanelWidth = 4800;
constexpr double kPanelHeight = 5000;
constexpr double kShadowRight = 120;
constexpr double kShadowDown = 180;
constexpr double kRowPitch = 320;
constexpr double kRowHeight = 300;
constexpr double kCaptionLeft = 300;
constexpr double kCaptionWidth = 2000;
constexpr double kValueLeft = 2300;
constexpr double kValueWidth = 2200;
constexpr double kLineLeft = 240;
constexpr double kLineWidth = 4320;

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

QFrame* MakeLine(QWidget* parent, const QString& name, double top) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::NoFrame);
    QRect r = TwipsRect(kLineLeft, top, kLineWidth, 15);
    r.setHeight(1);
    line->setGeometry(r);
    line->setAutoFillBackground(true);
    return line;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& where,
                  Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(where);
    label->setFont(SongFont(10.5));
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

void BuildRows(ResultPanel& panel, const QString& captionName, const QString& valueName,
               double firstRow) {
    const std::vector<ResultRow> rows = ResetRows(panel.kind);
    const int count = panel.kind == Panel::AShare ? 10 : 12;
    for (int i = 0; i < count; ++i) {
        const double top = firstRow + kRowPitch * i;
        const QString caption = i < static_cast<int>(rows.size())
                                    ? FromUtf8(rows[static_cast<std::size_t>(i)].caption)
                                    : QString();
        const QString value = i < static_cast<int>(rows.size())
                                  ? FromUtf8(rows[static_cast<std::size_t>(i)].value)
                                  : QString();
        QLabel* c =
            MakeLabel(panel.picture, captionName + QString::number(i), caption,
                      TwipsRect(kCaptionLeft, top, kCaptionWidth, kRowHeight), Qt::AlignLeft);
        QLabel* v = MakeLabel(panel.picture, valueName + QString::number(i), value,
                              TwipsRect(kValueLeft, top, kValueWidth, kRowHeight), Qt::AlignRight);
        if (caption == QStringLiteral("手续费合计：")) {
            c->setToolTip(QStringLiteral("等于以上各项费用的总和"));
        }
        panel.captions.push_back(c);
        panel.values.push_back(v);
    }
}

QFrame* MakePicture(QWidget* parent, const QString& name, double left, double top) {
    auto* picture = new QFrame(parent);
    picture->setObjectName(name);
    picture->setFrameShape(QFrame::NoFrame);
    picture->setGeometry(TwipsRect(left, top, kPanelWidth, kPanelHeight));
    picture->setAutoFillBackground(true);
    return picture;
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

QColor SchemeColor(ColorRef color) {
    return ToQColor(color, QGuiApplication::palette());
}

ResultPanels BuildResultPanels(QWidget* parent, double left, double top) {
    ResultPanels panels;
    panels.shadow =
        MakePicture(parent, QStringLiteral("Picture4"), left + kShadowRight, top + kShadowDown);
    SetBackground(panels.shadow, Qt::black);

    panels.a.kind = Panel::AShare;
    panels.a.picture = MakePicture(parent, QStringLiteral("Picture2_0"), left, top);
    panels.a.lines = {MakeLine(panels.a.picture, QStringLiteral("Line3"), kAGeometry.topRule),
                      MakeLine(panels.a.picture, QStringLiteral("Line4"), kAGeometry.bottomRule)};
    BuildRows(panels.a, QStringLiteral("Label3_"), QStringLiteral("Label4_"), kAGeometry.firstRow);
    panels.a.notes = {MakeLabel(
        panels.a.picture, QStringLiteral("Label10"), QStringLiteral("交易币种:人民币(元)"),
        TwipsRect(kCaptionLeft, kAGeometry.notesTop, 4200, kRowHeight), Qt::AlignLeft)};

    panels.b.kind = Panel::BShare;
    panels.b.picture = MakePicture(parent, QStringLiteral("Picture2_1"), left, top);
    panels.b.notes = {
        MakeLabel(panels.b.picture, QStringLiteral("Label5"), QStringLiteral("交易币种:"),
                  TwipsRect(kCaptionLeft, kBGeometry.notesTop, 1000, kRowHeight), Qt::AlignLeft),
        MakeLabel(panels.b.picture, QStringLiteral("Label9"),
                  QStringLiteral("上海--美元USD,深圳--港币HKD"),
                  TwipsRect(kCaptionLeft + 1000, kBGeometry.notesTop, 3200, kRowHeight),
                  Qt::AlignLeft)};
    panels.b.lines = {MakeLine(panels.b.picture, QStringLiteral("Line5_0"), kBGeometry.topRule),
                      MakeLine(panels.b.picture, QStringLiteral("Line6_0"), kBGeometry.bottomRule)};
    BuildRows(panels.b, QStringLiteral("Label7_"), QStringLiteral("Label8_"), kBGeometry.firstRow);

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
        panel.values[i]->setText(FromUtf8(rows[i].value));
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
