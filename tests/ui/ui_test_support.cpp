#include "ui_test_support.h"

#include "ui/common/artwork.h"

namespace ym::ui {

void InstallModalWatchdog() {
    RegisterArtwork();
    auto* watchdog = new QTimer(qApp);
    QObject::connect(watchdog, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
            qFatal("A modal dialog appeared during a test: %s %s", modal->metaObject()->className(),
                   qPrintable(modal->windowTitle()));
        }
    });
    watchdog->start(50);
}

bool WriteTestFile(const QString& path, const QByteArray& bytes, bool executable) {
    QFile file(path);
    const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner;
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush() &&
           file.setPermissions(executable ? owner | QFile::ExeOwner : owner);
}

QByteArray ReadTestFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QWidget* Window(const QString& objectName) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == objectName && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

void Type(const QString& script, QWidget* window) {
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar c = script[i];
        QWidget* focus = window != nullptr && !window->isAncestorOf(Focused()) ? window : Focused();
        const qsizetype end = script.indexOf(c == u'[' ? u']' : u'}', i);
        const QString inner = script.mid(i + 1, end - i - 1);
        if (c == u'[' || c == u'{') {
            i = end;
        }
        if (c == u'[') {
            QVERIFY2(Child(window, inner) != nullptr, qPrintable(inner));
            QTest::mouseClick(Child(window, inner), Qt::LeftButton);
        } else if (c == u'{') {
            const QKeyCombination key = QKeySequence(inner)[0];
            QTest::keyClick(focus, key.key(), key.keyboardModifiers());
        } else if (c == u'\r' || c == u'\b' || c == u'\x7f') {
            QTest::keyClick(focus, c == u'\r'   ? Qt::Key_Return
                                   : c == u'\b' ? Qt::Key_Backspace
                                                : Qt::Key_Delete);
        } else {
            QTest::keyClicks(focus, QString(c));
        }
    }
}

bool TriggerMenuEntry(QWidget* field, const char* entry) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                            field->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(field, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) {
        return false;
    }
    const QString text = QCoreApplication::translate("QLineEdit", entry);
    bool triggered = false;
    for (QAction* action : menu->actions()) {
        if (!triggered && action->text().startsWith(text) && action->isEnabled()) {
            action->trigger();
            triggered = true;
        }
    }
    menu->close();
    return triggered;
}

bool Enter(QLineEdit* field, const FilterCase& c) {
    field->setFocus();
    field->setText(QString::fromUtf8(c.before));
    field->setSelection(c.selStart, c.selLength);
    return Enter(field, QString::fromUtf8(c.keys), c.entry);
}

bool Enter(QLineEdit* field, const QString& text, Entry entry) {
    QGuiApplication::clipboard()->setText(text);
    if (entry == Entry::KeyPaste) {
        QTest::keySequence(field, QKeySequence::Paste);
    } else if (entry == Entry::MenuPaste) {
        return TriggerMenuEntry(field, "&Paste");
    } else if (entry == Entry::InputMethod) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(field, &event);
    } else {
        Type(text, field->window());
    }
    return true;
}

bool OpenSettings() {
    QTest::keyPress(Focused(), Qt::Key_F5);
    return Dialog() != nullptr && QTest::qWaitForWindowActive(Dialog());
}

bool Session::start() {
    form.reset();
    state = ym::ProgramState();
    form = std::make_unique<MainWindow>(state);
    if (form->load()) {
        form->show();
        form->activateWindow();
    }
    return form->isVisible() && QTest::qWaitForWindowActive(form.get());
}

QStringList Session::values(const QString& prefix, int count) const {
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        texts << text(prefix + QString::number(i));
    }
    return texts;
}

void Session::trade(const QString& buy, const QString& sell, const QString& quantity) const {
    field("Text1")->setFocus();
    field("Text1")->selectAll();
    Type("\b" + buy + "\r\b" + sell + "\r\b" + quantity + "\r\r");
}

} // namespace ym::ui
