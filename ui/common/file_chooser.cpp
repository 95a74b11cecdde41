#include "ui/common/file_chooser.h"

#include <QFileDialog>

namespace ym::ui {

namespace {

class ModalFileDialog : public FileChooser {
public:
    QStringList openFiles(QWidget* parent, const QString& title, const QString& filter) override {
        return QFileDialog::getOpenFileNames(parent, title, QString(), filter);
    }
};

ModalFileDialog g_modal;
FileChooser* g_chooser = nullptr;

} // namespace

FileChooser& Files() {
    return g_chooser != nullptr ? *g_chooser : g_modal;
}

FileChooser* SetFileChooser(FileChooser* chooser) {
    FileChooser* previous = g_chooser;
    g_chooser = chooser;
    return previous;
}

} // namespace ym::ui
