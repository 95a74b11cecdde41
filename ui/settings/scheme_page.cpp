// The scheme page of the parameter settings dialog: the scheme list, the three lists of
// colour slots with their colour bars, and the colour picks of the custom scheme.
#include "ui/common/color_chooser.h"
#include "ui/common/colors.h"
#include "ui/common/title_strip.h"
#include "ui/settings/settings_dialog.h"

#include <QComboBox>

namespace ym::ui {

void SettingsDialog::loadSchemePage() {
    m_workingScheme = m_state.scheme.schemeNumber;
    if (m_workingScheme >= 0 && m_workingScheme <= kCustomScheme) {
        showSchemeColors(m_workingScheme);
        m_schemeList->setCurrentIndex(m_workingScheme);
    }
    // A number no list entry names (a hand-edited file) selects nothing; the bars keep
    // the colours they were made with, and the number is stored back unchanged.
    for (const ColorRow* row : {&m_textRow, &m_lineRow, &m_panelRow}) {
        row->list->setCurrentIndex(0);
    }
}

// Choosing a scheme only shows it; the tables change when the dialog stores it.
void SettingsDialog::schemeChosen() {
    for (const ColorRow* row : {&m_textRow, &m_lineRow, &m_panelRow}) {
        row->list->setCurrentIndex(0);
    }
    const int scheme = m_schemeList->currentIndex();
    showSchemeColors(scheme);
    m_workingScheme = static_cast<std::int16_t>(scheme);
}

// The first slot of each row under `scheme`; the bars take picks in the custom scheme only.
void SettingsDialog::showSchemeColors(int scheme) {
    for (ColorRow* row : {&m_panelRow, &m_textRow, &m_lineRow}) {
        if (const auto color = m_state.scheme.SlotColor(scheme, row->itemSlots.front())) {
            SetBackground(row->bar, SchemeColor(*color));
        }
        const bool custom = scheme == kCustomScheme;
        row->bar->setEnabled(custom);
        row->bar->setCursor(custom ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
}

void SettingsDialog::showSlotColor(const ColorRow& row) {
    const int item = row.list->currentIndex();
    if (item < 0) {
        return;
    }
    const int slot = row.itemSlots[static_cast<std::size_t>(item)];
    if (const auto color = m_state.scheme.SlotColor(m_workingScheme, slot)) {
        SetBackground(row.bar, SchemeColor(*color));
    }
}

// The chooser, like one colour dialog kept for the whole opening, starts on the colour last
// picked; before any pick, on the bar's. A pick goes straight into the custom table in
// memory: cancelling the dialog keeps it, and the next custom scheme stored uses it.
void SettingsDialog::pickColor(ColorRow& row) {
    const auto chosen =
        ChooseColor(this, m_lastPick.value_or(row.bar->palette().color(QPalette::Window)));
    if (!chosen) {
        return;
    }
    m_lastPick = chosen;
    SetBackground(row.bar, *chosen);
    m_changed = true;
    const int item = row.list->currentIndex();
    if (item >= 0) {
        m_state.scheme
            .customColors[static_cast<std::size_t>(row.itemSlots[static_cast<std::size_t>(item)])] =
            ToColorRef(*chosen);
    }
}

} // namespace ym::ui
