// The modal file dialog. Every choice of files to open goes through one replaceable chooser
// so that tests never block on a modal dialog.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace ym::ui {

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The files the user chose to open (none when the dialog was cancelled). `filter` is
    // as QFileDialog takes it: "对账单 (*.txt *.csv *.xls);;所有文件 (*)".
    virtual QStringList openFiles(QWidget* parent, const QString& title, const QString& filter) = 0;
};

// The chooser in use: a modal QFileDialog unless a test has put its own in place.
FileChooser& Files();
// Puts `chooser` in place (nullptr restores the modal dialog); returns the previous one.
FileChooser* SetFileChooser(FileChooser* chooser);

} // namespace ym::ui
