#include "message_box.h"

#include <QMessageBox>

namespace ym::ui {

namespace {

class ModalMessages : public MessageSink {
public:
    MessageAnswer show(QWidget* parent, const QString& title, const QString& text,
                       MessageButtons buttons) override {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent);
        box.setStandardButtons(buttons == MessageButtons::OkCancel
                                   ? QMessageBox::Ok | QMessageBox::Cancel
                                   : QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        // Closing the box without a button counts as Cancel where Cancel is offered.
        box.setEscapeButton(buttons == MessageButtons::OkCancel ? QMessageBox::Cancel
                                                                : QMessageBox::Ok);
        return box.exec() == QMessageBox::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
};

ModalMessages g_modal;
MessageSink* g_sink = nullptr;

} // namespace

MessageSink& Messages() {
    return g_sink != nullptr ? *g_sink : g_modal;
}

MessageSink* SetMessageSink(MessageSink* sink) {
    MessageSink* previous = g_sink;
    g_sink = sink;
    return previous;
}

MessageAnswer ShowWarning(QWidget* parent, const QString& text) {
    return Messages().show(parent, QStringLiteral("警告"), text, MessageButtons::Ok);
}

MessageAnswer ShowNotice(QWidget* parent, const QString& text, MessageButtons buttons) {
    return Messages().show(parent, QStringLiteral("提示"), text, buttons);
}

MessageAnswer ShowAppMessage(QWidget* parent, const QString& text) {
    return Messages().show(parent, QString::fromUtf8(kApplicationTitle), text, MessageButtons::Ok);
}

} // namespace ym::ui
