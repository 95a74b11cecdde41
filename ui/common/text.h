// Text at the boundary between the core (UTF-8 strings, GBK bytes in the settings file)
// and Qt.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace ym::ui {

inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToUtf8(const QString& text) {
    return text.toStdString();
}
// Only ASCII digits and "." ever reach the core from an entry field.
inline std::string ToAscii(const QString& text) {
    return text.toLatin1().toStdString();
}

} // namespace ym::ui
