#include "ui/position/profit_chart.h"

#include "core/number_text.h"
#include "ui/common/colors.h"
#include "ui/common/fonts.h"
#include "ui/common/text.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace ym::ui {

namespace {

QString Amount(double value) {
    return FromUtf8(FormatMask(value, "###,###,###,##0.00"));
}

QString PriceText(double value) {
    return FromUtf8(FormatMask(value, "######0.00##"));
}

} // namespace

void ProfitChart::setCurve(const ProfitCurve& curve) {
    m_curve = curve;
    QString name = QStringLiteral("纯利润随卖出价变化图");
    if (m_curve.breakEven) {
        name += QStringLiteral(" 保本 ") + PriceText(*m_curve.breakEven);
    }
    if (m_curve.target) {
        name += (m_curve.stop ? QStringLiteral(" 止损 ") : QStringLiteral(" 目标 ")) +
                PriceText(*m_curve.target);
    }
    setAccessibleName(name);
    update();
}

void ProfitChart::setColors(const ColorTable& colors) {
    m_colors = colors;
    update();
}

void ProfitChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    auto color = [this](ColorSlot slot) {
        return SchemeColor(m_colors[static_cast<std::size_t>(slot)]);
    };
    painter.fillRect(rect(), color(kSlotAPanel));
    const QFont font = SongFont(7.5);
    painter.setFont(font);
    const QFontMetrics metrics(font);

    // The plot leaves room for the profit labels on the left and the prices below.
    const int left = metrics.horizontalAdvance(QStringLiteral("-00,000.00")) + 6;
    const QRectF plot(left, metrics.height() + 4, width() - left - 8,
                      height() - 2 * metrics.height() - 10);
    painter.setPen(QPen(color(kSlotALines), 1));
    painter.drawRect(plot);

    const std::vector<ProfitPoint>& points = m_curve.points;
    if (points.size() < 2) {
        return;
    }
    const double lowPrice = points.front().price;
    const double highPrice = points.back().price;
    const auto [lowest, highest] = std::minmax_element(
        points.begin(), points.end(),
        [](const ProfitPoint& a, const ProfitPoint& b) { return a.profit < b.profit; });
    // Zero is always in view, so the curve is seen against it.
    const double low = std::min(0.0, lowest->profit);
    const double high = std::max(0.0, highest->profit);
    const double span = high > low ? high - low : 1;
    auto x = [&](double price) {
        return plot.left() + (price - lowPrice) / (highPrice - lowPrice) * plot.width();
    };
    auto y = [&](double profit) { return plot.bottom() - (profit - low) / span * plot.height(); };

    // Zero line and the profit scale.
    painter.setPen(QPen(color(kSlotDescription), 1, Qt::DashLine));
    painter.drawLine(QPointF(plot.left(), y(0)), QPointF(plot.right(), y(0)));
    painter.setPen(color(kSlotDescription));
    const int textHeight = metrics.height();
    for (const double value : {high, low}) {
        painter.drawText(QRectF(0, y(value) - textHeight / 2.0, left - 4, textHeight),
                         Qt::AlignRight | Qt::AlignVCenter, Amount(value));
    }
    if (high != 0 && low != 0) {
        painter.drawText(QRectF(0, y(0) - textHeight / 2.0, left - 4, textHeight),
                         Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
    }
    // The price scale, under the plot at its ends.
    const double below = plot.bottom() + 2;
    painter.drawText(QRectF(plot.left(), below, plot.width(), textHeight), Qt::AlignLeft,
                     PriceText(lowPrice));
    painter.drawText(QRectF(plot.left(), below, plot.width(), textHeight), Qt::AlignRight,
                     PriceText(highPrice));

    // The curve, in the profit colour above zero and the loss colour below.
    QPainterPath path;
    path.moveTo(x(points.front().price), y(points.front().profit));
    for (const ProfitPoint& point : points) {
        path.lineTo(x(point.price), y(point.profit));
    }
    painter.save();
    painter.setClipRect(QRectF(plot.left(), plot.top(), plot.width(), y(0) - plot.top()));
    painter.setPen(QPen(color(kSlotProfit), 2));
    painter.drawPath(path);
    painter.setClipRect(QRectF(plot.left(), y(0), plot.width(), plot.bottom() - y(0)));
    painter.setPen(QPen(color(kSlotLoss), 2));
    painter.drawPath(path);
    painter.restore();

    // Marks: a vertical line with its caption, the buy price's on the left of its line and the
    // break-even's on the right above the plot (they are often a step apart), the target's
    // below it.
    enum class Place { LeftAbove, RightAbove, Below };
    auto mark = [&](double price, const QString& caption, const QColor& markColor,
                    Qt::PenStyle style, Place place) {
        if (price < lowPrice || price > highPrice) {
            return;
        }
        const double at = x(price);
        painter.setPen(QPen(markColor, 1, style));
        painter.drawLine(QPointF(at, plot.top()), QPointF(at, plot.bottom()));
        const double textWidth = metrics.horizontalAdvance(caption) + 1;
        double textLeft = place == Place::LeftAbove    ? at - textWidth - 2
                          : place == Place::RightAbove ? at + 2
                                                       : at - textWidth / 2;
        textLeft = std::clamp(textLeft, 0.0, width() - textWidth);
        const double top = place == Place::Below ? below : 0;
        painter.drawText(QRectF(textLeft, top, textWidth, textHeight), Qt::AlignCenter, caption);
    };
    mark(m_curve.buyPrice, QStringLiteral("买入"), color(kSlotNormal), Qt::DotLine,
         Place::LeftAbove);
    if (m_curve.breakEven) {
        mark(*m_curve.breakEven, QStringLiteral("保本"), color(kSlotBreakEven), Qt::DashLine,
             Place::RightAbove);
    }
    if (m_curve.target) {
        mark(*m_curve.target, m_curve.stop ? QStringLiteral("止损") : QStringLiteral("目标"),
             color(m_curve.stop ? kSlotLoss : kSlotProfit), Qt::SolidLine, Place::Below);
    }
}

} // namespace ym::ui
