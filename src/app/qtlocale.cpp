#include "qtlocale.h"

#include <QLocale>

namespace kw::app {

QString qtext(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString qshown(std::string_view bytes) {
    constexpr std::size_t longest = 10000;
    if (bytes.size() <= longest) {
        return qtext(bytes);
    }
    std::size_t cut = 1000;
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) {
        --cut; // not inside a UTF-8 character
    }
    return qtext(bytes.substr(0, cut)) + QString("... (%1 characters)").arg(bytes.size());
}

std::string bytes(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

int QtCollation::compare(std::string_view a, std::string_view b) const {
    // A collator of its own for every thread: the calculation compares from several.
    thread_local const QCollator collator = [] {
        QCollator c{QLocale()};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(qtext(a), qtext(b));
}

Locale userlocale() {
    static const QtCollation collation;
    Locale locale;
    const QString mark = QLocale().decimalPoint();
    locale.decimal = mark.size() == 1 && mark.at(0).unicode() < 128
                         ? static_cast<char>(mark.at(0).unicode())
                         : '.';
    locale.collation = &collation;
    return locale;
}

} // namespace kw::app
