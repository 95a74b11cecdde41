#include "ui/common/artwork.h"

#include <QtGlobal>

// The resource lives in a static library; naming its initialiser keeps the linker from
// dropping it. Q_INIT_RESOURCE cannot stand inside a namespace.
static void InitArtworkResource() {
    Q_INIT_RESOURCE(artwork);
}

namespace ym::ui {

void RegisterArtwork() {
    static const bool registered = (InitArtworkResource(), true);
    Q_UNUSED(registered);
}

} // namespace ym::ui
