#include "gui/window_words.hpp"

#include <QRegularExpression>

namespace ts {

namespace {

// What a person calls the character the field shows as a space or not at all.
QString characterWords(uint code) {
    switch (code) {
        case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x85: case 0x2028: case 0x2029:
            return QStringLiteral("a line break");
        case 0x09:
            return QStringLiteral("a tab");
        case 0x1B:
            return QStringLiteral("an escape character");
        case 0x7F:
            return QStringLiteral("a delete character");
        case 0x00:
            return QStringLiteral("a null character");
        default:
            return QStringLiteral("an invisible control character (U+%1)")
                .arg(QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0')));
    }
}

}  // namespace

QString windowWords(const std::string& message) {
    QString words = QString::fromStdString(message);
    static const QRegularExpression control(QStringLiteral("a control character \\(U\\+([0-9A-Fa-f]{4,6})\\)"));
    for (QRegularExpressionMatch found = control.match(words); found.hasMatch(); found = control.match(words))
        words.replace(found.capturedStart(), found.capturedLength(),
                      characterWords(found.captured(1).toUInt(nullptr, 16)));
    for (const QString& noRecipe : {QStringLiteral("no Textscape recipe in its text chunks (its Software is not a Textscape program)"),
                                    QStringLiteral("no Textscape recipe in its text chunks")})
        words.replace(noRecipe, QStringLiteral("this PNG was not made by Textscape"));
    return words;
}

}  // namespace ts
