#include "ui/common/edit_menu.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>

namespace ym::ui {

namespace {

// A menu entry in the words of Qt's own line-edit menu, translated with it, followed by
// its shortcut.
QString MenuText(const char* text, QKeySequence::StandardKey key = QKeySequence::UnknownKey) {
    QString entry = QCoreApplication::translate("QLineEdit", text);
    const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
    if (!shortcut.isEmpty()) {
        entry += QLatin1Char('\t') + shortcut;
    }
    return entry;
}

} // namespace

QMenu* MakeEditMenu(QLineEdit* field, std::function<void()> paste) {
    auto* menu = new QMenu(field);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool editable = !field->isReadOnly();
    const bool selected = field->hasSelectedText();
    auto add = [menu](const QString& text, bool enabled, auto slot) {
        QAction* action = menu->addAction(text);
        action->setEnabled(enabled);
        QObject::connect(action, &QAction::triggered, menu, slot);
        return action;
    };
    if (editable) {
        add(MenuText("&Undo", QKeySequence::Undo), field->isUndoAvailable(),
            [field] { field->undo(); });
        add(MenuText("&Redo", QKeySequence::Redo), field->isRedoAvailable(),
            [field] { field->redo(); });
        menu->addSeparator();
        add(MenuText("Cu&t", QKeySequence::Cut), selected, [field] { field->cut(); });
    }
    add(MenuText("&Copy", QKeySequence::Copy), selected, [field] { field->copy(); });
    if (editable) {
        const bool pasteable = !QGuiApplication::clipboard()->text().isEmpty();
        add(MenuText("&Paste", QKeySequence::Paste), pasteable, std::move(paste));
        add(MenuText("Delete"), selected, [field] { field->del(); });
    }
    menu->addSeparator();
    add(MenuText("Select All", QKeySequence::SelectAll), !field->text().isEmpty(),
        [field] { field->selectAll(); });
    return menu;
}

} // namespace ym::ui
