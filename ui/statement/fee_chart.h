// The fees of each year as a bar, stacked by kind (commission, stamp duty, transfer fee,
// other fees), with a scale in yuan and a legend. Drawn in the widget's palette: its window
// colour behind, its text colour for the scale and the labels.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <vector>

namespace ym::ui {

class FeeChart : public QWidget {
    Q_OBJECT
public:
    static constexpr std::size_t kKinds = 4;
    struct Bar {
        QString label;                     // the year
        std::array<double, kKinds> fees{}; // commission, stamp, transfer, other
    };

    explicit FeeChart(QWidget* parent = nullptr);
    void setBars(std::vector<Bar> bars);
    const std::vector<Bar>& bars() const { return m_bars; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<Bar> m_bars;
};

} // namespace ym::ui
