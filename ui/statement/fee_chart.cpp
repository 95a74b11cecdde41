#include "ui/statement/fee_chart.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace ym::ui {

namespace {

struct Kind {
    const char* name;
    QColor color;
};
// Distinct under any display scheme's background, and in the order of the report's columns.
const std::array<Kind, FeeChart::kKinds> kKindStyles{{
    {"佣金", QColor(40, 80, 200)},
    {"印花税", QColor(220, 60, 40)},
    {"过户费", QColor(40, 160, 70)},
    {"其他费用", QColor(230, 170, 20)},
}};

// A round step for the scale: 1, 2 or 5 times a power of ten, about a quarter of `top`.
double ScaleStep(double top) {
    const double rough = top / 4;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough) {
            return factor * power;
        }
    }
    return 10 * power;
}

} // namespace

FeeChart::FeeChart(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
}

void FeeChart::setBars(std::vector<Bar> bars) {
    m_bars = std::move(bars);
    update();
}

void FeeChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor text = palette().color(QPalette::WindowText);
    const QFontMetrics metrics(font());
    const int line = metrics.height();

    // The legend along the top.
    int x = 4;
    for (const Kind& kind : kKindStyles) {
        p.fillRect(QRect(x, 4 + line / 4, line / 2, line / 2), kind.color);
        x += line / 2 + 3;
        p.setPen(text);
        const QString name = QString::fromUtf8(kind.name);
        p.drawText(QPoint(x, 4 + metrics.ascent()), name);
        x += metrics.horizontalAdvance(name) + line / 2;
    }

    double top = 0;
    for (const Bar& bar : m_bars) {
        double sum = 0;
        for (double fee : bar.fees) {
            sum += fee;
        }
        top = std::max(top, sum);
    }
    if (m_bars.empty() || top <= 0) {
        p.setPen(text);
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("（无费用）"));
        return;
    }
    const double step = ScaleStep(top);
    const double scaleTop = std::ceil(top / step) * step;
    const QString widest = QString::number(scaleTop, 'f', step < 1 ? 2 : 0);
    const QRect plot(metrics.horizontalAdvance(widest) + 10, 8 + line + line / 2,
                     width() - metrics.horizontalAdvance(widest) - 16,
                     height() - (8 + line + line / 2) - line - 6);
    auto yOf = [&](double value) {
        return plot.bottom() - static_cast<int>(std::lround(value / scaleTop * plot.height()));
    };

    // The scale: a line and a figure at every step.
    for (double v = 0; v <= scaleTop + step / 2; v += step) {
        const int y = yOf(v);
        p.setPen(QPen(text, 1, v == 0 ? Qt::SolidLine : Qt::DotLine));
        p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(text);
        p.drawText(QRect(0, y - line / 2, plot.left() - 4, line), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v, 'f', step < 1 ? 2 : 0));
    }

    const int slot = plot.width() / static_cast<int>(m_bars.size());
    const int barWidth = std::clamp(slot * 3 / 5, 4, line * 3);
    for (std::size_t i = 0; i < m_bars.size(); ++i) {
        const Bar& bar = m_bars[i];
        const int left = plot.left() + slot * static_cast<int>(i) + (slot - barWidth) / 2;
        double base = 0;
        for (std::size_t k = 0; k < kKinds; ++k) {
            const int y0 = yOf(base);
            base += bar.fees[k];
            const int y1 = yOf(base);
            if (y0 > y1) {
                p.fillRect(QRect(left, y1, barWidth, y0 - y1), kKindStyles[k].color);
            }
        }
        p.setPen(text);
        p.drawText(QRect(left - slot / 2, plot.bottom() + 2, barWidth + slot, line),
                   Qt::AlignHCenter | Qt::AlignTop, bar.label);
    }
}

} // namespace ym::ui
