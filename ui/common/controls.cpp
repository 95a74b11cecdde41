#include "ui/common/controls.h"

#include "ui/common/button_field.h"
#include "ui/common/colors.h"
#include "ui/common/date_field.h"
#include "ui/common/entry_field.h"
#include "ui/common/title_strip.h"
#include "ui/common/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSvgRenderer>
#include <QTabBar>
#include <QTabWidget>

namespace ym::ui {

namespace {

// The frames round a button field: the hover frame a little further out than the focus
// frame, so both can be seen at once.
constexpr int kHoverMargin = 4;
constexpr int kFocusMargin = 2;

QRect Around(const QRect& field, int margin) {
    return field.adjusted(-margin, -margin, margin, margin);
}

template <class Control>
Control* Placed(Control* control, const QString& name, const QRect& where) {
    control->setObjectName(name);
    control->setGeometry(where);
    return control;
}

} // namespace

QString ArrayName(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& where,
                  const QFont& font, Qt::Alignment alignment) {
    auto* label = Placed(new QLabel(text, parent), name, where);
    label->setFont(font);
    label->setAlignment(alignment);
    return label;
}

QFrame* MakePanel(QWidget* parent, const QString& name, const QRect& where, const QColor& color) {
    auto* panel = Placed(new QFrame(parent), name, where);
    panel->setFrameShape(QFrame::NoFrame);
    SetBackground(panel, color);
    return panel;
}

QFrame* MakeLine(QWidget* parent, const QString& name, double leftTwips, double topTwips,
                 double widthTwips, const QColor& color) {
    QRect where = TwipsRect(leftTwips, topTwips, widthTwips, 15);
    where.setHeight(1);
    return MakePanel(parent, name, where, color);
}

QFrame* MakeRectangle(QWidget* parent, const QString& name, const QRect& where,
                      const QColor& color) {
    auto* frame = Placed(new QFrame(parent), name, where);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Plain);
    frame->setLineWidth(1);
    frame->setMidLineWidth(0);
    QPalette pal = frame->palette();
    pal.setColor(QPalette::WindowText, color);
    pal.setColor(QPalette::Window, Qt::transparent);
    frame->setPalette(pal);
    frame->setAutoFillBackground(false);
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    frame->setFocusPolicy(Qt::NoFocus);
    frame->hide();
    return frame;
}

QRadioButton* MakeOption(QWidget* parent, const QString& name, const QString& text,
                         const QRect& where, const QFont& font) {
    auto* option = Placed(new QRadioButton(text, parent), name, where);
    option->setFont(font);
    return option;
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& text,
                        const QRect& where, const QFont& font) {
    auto* box = Placed(new QCheckBox(text, parent), name, where);
    box->setFont(font);
    return box;
}

QComboBox* MakeCombo(QWidget* parent, const QString& name, const QStringList& items,
                     const QRect& where, const QFont& font) {
    auto* combo = Placed(new QComboBox(parent), name, where);
    combo->setFont(font);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    return combo;
}

QTabWidget* MakeTabs(QWidget* parent, const QString& name, const QRect& where, const QFont& font) {
    auto* tabs = Placed(new QTabWidget(parent), name, where);
    tabs->tabBar()->setFont(font);
    return tabs;
}

DateField* MakeDateField(QWidget* parent, const QString& name, const QRect& where,
                         const QFont& font) {
    auto* edit = Placed(new DateField(parent), name, where);
    edit->setFont(font);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setDateRange(QDate(1900, 1, 1), QDate(9999, 12, 31));
    edit->setKeyboardTracking(false);
    return edit;
}

EntryField* MakeEntry(QWidget* parent, const QString& name, const QRect& where, int maxLength,
                      const QFont& font, const QColor& background) {
    auto* field = Placed(new EntryField(parent), name, where);
    field->setLengthLimit(maxLength);
    field->setFont(font);
    SetBackground(field, background);
    return field;
}

QPushButton* MakeActionButton(QWidget* parent, const QString& name, const QString& caption,
                              const QRect& where) {
    auto* button = Placed(new QPushButton(caption, parent), name, where);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    return button;
}

ButtonField* MakeButtonField(QWidget* parent, const QString& name, const QString& caption,
                             const QRect& where, const ButtonFieldStyle& style,
                             QAbstractButton* action, const QString& hoverFrameName,
                             const QString& focusFrameName) {
    auto* field = Placed(new ButtonField(caption, parent), name, where);
    field->setFont(style.font);
    SetBackground(field, style.face);
    QFrame* hover =
        MakeRectangle(parent, hoverFrameName, Around(where, kHoverMargin), style.hoverFrame);
    QFrame* focus =
        focusFrameName.isEmpty()
            ? nullptr
            : MakeRectangle(parent, focusFrameName, Around(where, kFocusMargin), style.focusFrame);
    field->setFrames(hover, focus);
    field->setAction(action);
    field->setAccessibleName(SpokenName(caption));
    return field;
}

DragHandle* MakeDragHandle(QWidget* parent, const QString& name, const QRect& where) {
    auto* handle = Placed(new DragHandle(parent), name, where);
    handle->raise();
    return handle;
}

ClickLabel* MakeWindowButton(QWidget* parent, const QString& name, const QString& text,
                             const QRect& where, const QFont& font, const QColor& color,
                             const QString& tip) {
    auto* label = Placed(new ClickLabel(text, parent), name, where);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setToolTip(tip);
    label->setCursor(Qt::PointingHandCursor);
    SetForeground(label, color);
    return label;
}

QString SpokenName(const QString& caption) {
    QString name;
    for (const QChar c : caption) {
        if (c == QLatin1Char(':') || c == QChar(0xFF1A)) { // ":" or "："
            break;
        }
        if (!c.isSpace() && c != QLatin1Char('&')) {
            name += c;
        }
    }
    if (name.endsWith(QLatin1Char(')'))) {
        const qsizetype open = name.lastIndexOf(QLatin1Char('('));
        if (open >= 0) {
            name.truncate(open);
        }
    }
    return name;
}

void Caption(QLabel* caption, QWidget* control) {
    caption->setBuddy(control);
    control->setAccessibleName(SpokenName(caption->text()));
}

QPixmap RenderSvg(const QString& resource, const QSize& size) {
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QLabel* MakePicture(QWidget* parent, const QString& name, const QRect& where,
                    const QString& resource) {
    auto* picture = Placed(new QLabel(parent), name, where);
    picture->setPixmap(RenderSvg(resource, where.size()));
    return picture;
}

} // namespace ym::ui
