#include "files/recordtext.h"

#include "model/cp1251.h"

namespace tk {

QString fromRecordText(const Text& bytes) {
    return QString::fromStdString(cp1251ToUtf8(bytes));
}

std::optional<Text> toRecordText(const QString& text, char32_t* bad) {
    return utf8ToCp1251(text.toStdString(), bad);
}

} // namespace tk
