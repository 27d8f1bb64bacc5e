#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// GoogleTest prints a QString as the text it holds (otherwise it would list its characters'
// bytes) and a QStringList as its texts, one a line, so that a failing comparison reads.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << "{";
    for (const QString& text : texts) {
        *out << "\n  ";
        PrintTo(text, out);
    }
    *out << (texts.isEmpty() ? "}" : "\n}");
}
