#include "app/qtlocale.h"

#include <QCollator>
#include <QCoreApplication>
#include <QLocale>

namespace kw::app {

QString qText(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString qShown(std::string_view bytes) {
    constexpr std::size_t longest = 10000;
    if (bytes.size() <= longest) {
        return qText(bytes);
    }
    std::size_t cut = 1000;
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) {
        --cut; // not inside a UTF-8 character
    }
    return qText(bytes.substr(0, cut)) +
           QCoreApplication::translate("kw::app::CellText", "... (%1 characters)")
               .arg(bytes.size());
}

std::string toBytes(const QString& text) {
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
    return collator.compare(qText(a), qText(b));
}

Locale userLocale() {
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
