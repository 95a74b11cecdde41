// The help page shown by the help viewer, fixed in the program.
#pragma once

#include <QString>
#include <QStringList>

namespace ym::ui {

// The page line by line, the empty lines included; it begins with an empty line.
QStringList HelpLines();
// The page as stored text: every line ends in "\r\n".
QString HelpText();

} // namespace ym::ui
