// A small chart of the round trip's net profit against the sell price around the buy price,
// with the buy price, the break-even and the target marked, drawn in the display scheme's
// colours.
#pragma once

#include "core/display_scheme.h"
#include "ui/position/position_answers.h"

#include <QWidget>

namespace ym::ui {

class ProfitChart : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // An empty curve draws the bare frame.
    void setCurve(const ProfitCurve& curve);
    void setColors(const ColorTable& colors);
    const ProfitCurve& curve() const { return m_curve; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ProfitCurve m_curve;
    ColorTable m_colors{};
};

} // namespace ym::ui
