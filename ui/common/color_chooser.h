// The modal colour chooser. Every pick goes through one replaceable chooser so that tests
// never block on a modal dialog.
#pragma once

#include <QColor>
#include <optional>

class QWidget;

namespace ym::ui {

class ColorChooser {
public:
    virtual ~ColorChooser() = default;
    // The colour the user chose, starting from `initial`; nullopt when the choice was
    // cancelled.
    virtual std::optional<QColor> choose(QWidget* parent, const QColor& initial) = 0;
};

// The chooser in use: a modal QColorDialog unless a test has put its own in place.
ColorChooser& Chooser();
// Puts `chooser` in place (nullptr restores the modal dialog); returns the previous one.
ColorChooser* SetColorChooser(ColorChooser* chooser);

inline std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) {
    return Chooser().choose(parent, initial);
}

} // namespace ym::ui
