// The control factories every window is built from. Each control gets its objectName (the
// name tests and the window's own code find it by; an element of a control array is
// "Name_i"), its place, its typeface and its colours.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPixmap;
class QPushButton;
class QRadioButton;
class QSize;
class QTabWidget;
class QWidget;

namespace ym::ui {

class ButtonField;
class ClickLabel;
class DateField;
class DragHandle;
class EntryField;

// "Name_i", the objectName of element i of a control array.
QString ArrayName(const char* name, int index);

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& where,
                  const QFont& font, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// A frameless panel filled with `color`.
QFrame* MakePanel(QWidget* parent, const QString& name, const QRect& where, const QColor& color);
// A horizontal rule one pixel high (15 twips at 96 dpi, and never thicker at any scale).
QFrame* MakeLine(QWidget* parent, const QString& name, double leftTwips, double topTwips,
                 double widthTwips, const QColor& color = Qt::black);
// A rectangle outline (the "Shape" controls), hidden until shown; it takes no mouse input.
QFrame* MakeRectangle(QWidget* parent, const QString& name, const QRect& where,
                      const QColor& color);
QRadioButton* MakeOption(QWidget* parent, const QString& name, const QString& text,
                         const QRect& where, const QFont& font);
QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& text,
                        const QRect& where, const QFont& font);
// A drop-down list of fixed items that starts with no item selected, so that the first
// selection a window makes is reported as a change.
QComboBox* MakeCombo(QWidget* parent, const QString& name, const QStringList& items,
                     const QRect& where, const QFont& font);

// A tab control whose pages are added by the window; the tab captions in `font`.
QTabWidget* MakeTabs(QWidget* parent, const QString& name, const QRect& where, const QFont& font);

// A date field for the days the core takes (1900 to 9999). It reports a date once it is
// committed (Enter, leaving the field, an arrow key, a pick in the calendar), never one
// half typed.
DateField* MakeDateField(QWidget* parent, const QString& name, const QRect& where,
                         const QFont& font);

// A number entry field: at most `maxLength` characters typed (a text the program sets is
// shown in full), `background` behind the text.
EntryField* MakeEntry(QWidget* parent, const QString& name, const QRect& where, int maxLength,
                      const QFont& font, const QColor& background);

// The small push button behind a button field: it carries the action and the access key,
// and never takes the focus.
QPushButton* MakeActionButton(QWidget* parent, const QString& name, const QString& caption,
                              const QRect& where);

struct ButtonFieldStyle {
    QFont font;
    QColor face;
    QColor hoverFrame;
    QColor focusFrame;
};

// A button field running `action`, with its hover frame (and focus frame, when named) as
// rectangles round it: the hover frame a little further out, so both can show at once.
ButtonField* MakeButtonField(QWidget* parent, const QString& name, const QString& caption,
                             const QRect& where, const ButtonFieldStyle& style,
                             QAbstractButton* action, const QString& hoverFrameName,
                             const QString& focusFrameName = QString());

// Title strip pieces: the drag area that moves a frameless window, and a "-" or "X"
// label in its framing rectangle.
DragHandle* MakeDragHandle(QWidget* parent, const QString& name, const QRect& where);
ClickLabel* MakeWindowButton(QWidget* parent, const QString& name, const QString& text,
                             const QRect& where, const QFont& font, const QColor& color,
                             const QString& tip);

// The name a screen reader speaks for a caption: without blanks, without what follows a
// colon, without a trailing access key in brackets ("买入价格：(元)" → "买入价格",
// "计 算(D)" → "计算").
QString SpokenName(const QString& caption);
// Ties a caption to the control it names: the caption's access key goes to the control and
// a screen reader reads the caption as the control's name.
void Caption(QLabel* caption, QWidget* control);

// An SVG of the artwork resource drawn at `size` logical pixels, sharp on any screen.
QPixmap RenderSvg(const QString& resource, const QSize& size);
// A picture control showing an SVG of the artwork resource.
QLabel* MakePicture(QWidget* parent, const QString& name, const QRect& where,
                    const QString& resource);

} // namespace ym::ui
