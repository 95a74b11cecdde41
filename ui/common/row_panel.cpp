#include "ui/common/row_panel.h"

#include "ui/common/colors.h"
#include "ui/common/controls.h"
#include "ui/common/fonts.h"
#include "ui/common/text.h"
#include "ui/common/twips.h"

#include <QFontMetrics>
#include <QLabel>

namespace ym::ui {

namespace {

constexpr double kRowPoints = 10.5;
constexpr double kSmallestPoints = 6;
constexpr double kMargin = 150;   // between the panel's edge and the rules
constexpr double kRowPitch = 300; // as the calculator's panels
constexpr double kRowHeight = 285;
constexpr double kCaptionWidth = 1560;

} // namespace

void SetFittedText(QLabel* label, const QString& text, double points, double smallest) {
    QFont font = SongFont(points);
    while (points > smallest && QFontMetrics(font).horizontalAdvance(text) > label->width()) {
        points -= 0.5;
        font = SongFont(points);
    }
    label->setFont(font);
    label->setText(text);
}

RowPanel::RowPanel(QWidget* parent, const QString& name, const QRect& where, int rows,
                   const char* captionName, const char* valueName, const char* lineName)
    : QFrame(parent) {
    setObjectName(name);
    setGeometry(where);
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
    const double width = where.width() / PixelsPerTwip();
    const double inner = width - 2 * kMargin;
    const double rowsTop = kMargin + 60;
    for (int i = 0; i < rows; ++i) {
        const double top = rowsTop + kRowPitch * i;
        QLabel* caption = MakeLabel(this, ArrayName(captionName, i), QString(),
                                    TwipsRect(kMargin + 60, top, kCaptionWidth, kRowHeight),
                                    SongFont(kRowPoints));
        QLabel* value = MakeLabel(
            this, ArrayName(valueName, i), QString(),
            TwipsRect(kMargin + 60 + kCaptionWidth, top, inner - 120 - kCaptionWidth, kRowHeight),
            SongFont(kRowPoints), Qt::AlignRight | Qt::AlignVCenter);
        m_captions.push_back(caption);
        m_values.push_back(value);
        m_slots.push_back(kSlotNormal);
    }
    const double bottom = rowsTop + kRowPitch * rows + 60;
    m_rules = {MakeLine(this, ArrayName(lineName, 0), kMargin, kMargin, inner),
               MakeLine(this, ArrayName(lineName, 1), kMargin, bottom, inner)};
}

void RowPanel::setRows(const std::vector<ResultRow>& rows) {
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        const bool used = i < rows.size();
        const QString caption = used ? FromUtf8(rows[i].caption) : QString();
        const QString value = used ? FromUtf8(rows[i].value) : QString();
        m_captions[i]->setText(caption);
        SetFittedText(m_values[i], value, kRowPoints, kSmallestPoints);
        // A screen reader on the value reads the whole row: "新成本价 10.055元".
        m_values[i]->setAccessibleName(used ? SpokenName(caption) + QLatin1Char(' ') + value
                                            : QString());
        m_slots[i] = used ? rows[i].slot : kSlotNormal;
    }
    colorRows();
}

void RowPanel::setColors(const ColorTable& colors) {
    m_colors = colors;
    SetBackground(this, SchemeColor(colors[kSlotAPanel]));
    for (QFrame* rule : m_rules) {
        SetBackground(rule, SchemeColor(colors[kSlotALines]));
    }
    colorRows();
}

void RowPanel::colorRows() {
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        const QColor color = SchemeColor(m_colors[static_cast<std::size_t>(m_slots[i])]);
        SetForeground(m_captions[i], color);
        SetForeground(m_values[i], color);
    }
}

} // namespace ym::ui
