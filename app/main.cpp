// The trade calculator program: one copy at a time, the main window, its event loop.
#include "core/program_state.h"
#include "ui/common/artwork.h"
#include "ui/common/fonts.h"
#include "ui/common/platform.h"
#include "ui/common/translations.h"
#include "ui/main/main_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("yuanmate"));

    // A second copy ends at once and silently, before anything is read or shown.
    const ym::ui::SingleInstance instance;
    if (!instance.acquired()) {
        return 0;
    }

    ym::ui::InstallQtTranslation();
    // Controls without a typeface of their own (tool tips, the hidden access-key buttons)
    // use the windows' Song face too, rather than a sans face that borrows its Chinese
    // from yet another font file.
    QApplication::setFont(ym::ui::SongFont(9));
    ym::ui::RegisterArtwork();
    ym::ProgramState state;
    ym::ui::MainWindow form(state);
    QObject::connect(&form, &ym::ui::MainWindow::programEnded, &application,
                     [](int code) { QCoreApplication::exit(code); });
    if (!form.load()) {
        return 1;
    }
    form.show();
    form.activateWindow();
    return QApplication::exec();
}
