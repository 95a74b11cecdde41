#include "ui/common/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ym::ui {

bool InstallQtTranslation() {
    static QTranslator* translator = nullptr;
    if (translator != nullptr) {
        return true;
    }
    auto* candidate = new QTranslator(QCoreApplication::instance());
    if (!candidate->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(candidate)) {
        delete candidate;
        return false;
    }
    translator = candidate;
    return true;
}

} // namespace ym::ui
