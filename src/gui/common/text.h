#pragma once
// Text crossing between the core (UTF-8 std::string) and Qt (QString).
#include <QString>
#include <string>
#include <string_view>

namespace zt {

[[nodiscard]] inline QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

[[nodiscard]] inline std::string toUtf8(const QString& text) {
    return text.toStdString();
}

} // namespace zt
