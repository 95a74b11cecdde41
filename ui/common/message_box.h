// Message boxes without icon, titled "警告", "提示" or the application's title.
// Everything goes through one replaceable sink so that tests never block on a modal
// dialog.
#pragma once

#include <QString>

class QWidget;

namespace ym::ui {

enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual MessageAnswer show(QWidget* parent, const QString& title, const QString& text,
                               MessageButtons buttons) = 0;
};

// The sink in use: a modal QMessageBox unless a test has put its own in place.
MessageSink& Messages();
// Puts `sink` in place (nullptr restores the modal boxes); returns the previous one.
MessageSink* SetMessageSink(MessageSink* sink);

MessageAnswer ShowWarning(QWidget* parent, const QString& text); // "警告", OK
MessageAnswer ShowNotice(QWidget* parent, const QString& text,
                         MessageButtons buttons = MessageButtons::Ok); // "提示"
MessageAnswer ShowAppMessage(QWidget* parent, const QString& text);    // application title

inline constexpr const char* kApplicationTitle = "交易小算盘Yuanmate V5.5";

} // namespace ym::ui
