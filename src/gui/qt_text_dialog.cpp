#include "gui/qt_text_dialog.hpp"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace ts {

int twipsToPixels(int twips, double dotsPerInch) { return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0)); }

QString promptLines(std::string_view prompt) {
    QString text = QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

std::string QtTextDialog::ask(std::string_view prompt, int leftTwips, int topTwips) {
    QDialog dialog(parent_);
    dialog.setModal(true);

    auto* label = new QLabel(promptLines(prompt), &dialog);
    label->setObjectName(QStringLiteral("prompt"));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* field = new QLineEdit(&dialog);
    field->setObjectName(QStringLiteral("text"));

    // OK and Cancel stacked on the right of the prompt, the field below both.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QGridLayout(&dialog);
    layout->addWidget(label, 0, 0);
    layout->addWidget(buttons, 0, 1, Qt::AlignTop);
    layout->addWidget(field, 1, 0, 1, 2);
    layout->setRowMinimumHeight(0, 64);
    layout->setColumnMinimumWidth(0, 260);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    field->setFocus();

    const QScreen* screen = parent_ && parent_->screen() ? parent_->screen() : QGuiApplication::primaryScreen();
    const QPoint origin = screen->geometry().topLeft();
    dialog.move(origin.x() + twipsToPixels(leftTwips, screen->logicalDotsPerInchX()),
                origin.y() + twipsToPixels(topTwips, screen->logicalDotsPerInchY()));

    if (dialog.exec() != QDialog::Accepted) return {};
    return field->text().toStdString();
}

}  // namespace ts
