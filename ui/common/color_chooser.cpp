#include "ui/common/color_chooser.h"

#include <QColorDialog>

namespace ym::ui {

namespace {

class ModalColorDialog : public ColorChooser {
public:
    std::optional<QColor> choose(QWidget* parent, const QColor& initial) override {
        const QColor chosen = QColorDialog::getColor(initial, parent);
        if (!chosen.isValid()) {
            return std::nullopt;
        }
        return chosen;
    }
};

ModalColorDialog g_modal;
ColorChooser* g_chooser = nullptr;

} // namespace

ColorChooser& Chooser() {
    return g_chooser != nullptr ? *g_chooser : g_modal;
}

ColorChooser* SetColorChooser(ColorChooser* chooser) {
    ColorChooser* previous = g_chooser;
    g_chooser = chooser;
    return previous;
}

} // namespace ym::ui
