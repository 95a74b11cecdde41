// The help page shown by the help viewer, fixed in the program.
#pragma once

#include <QString>
#include <QStringList>

namespace ym::ui {

// The sections a window's F1 can open the page at.
enum class HelpTopic { Start, Target, Average, Swing, Limits };

// The page line by line, the empty lines included; it begins with an empty line.
QStringList HelpLines();
// The page as stored text: every line ends in "\r\n".
QString HelpText();
// The index in HelpLines() of the line a section begins with; 0 for the start.
int HelpTopicLine(HelpTopic topic);

} // namespace ym::ui
