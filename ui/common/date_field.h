// A date field ("2026-12-06") with a drop-down calendar that the keyboard opens too: Alt+Down,
// as on a drop-down list, does what a click on its arrow does. The arrows step the section
// under the caret, digits overwrite it.
#pragma once

#include <QDateEdit>

namespace ym::ui {

class DateField : public QDateEdit {
    Q_OBJECT
public:
    explicit DateField(QWidget* parent = nullptr);

    void openCalendar();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace ym::ui
