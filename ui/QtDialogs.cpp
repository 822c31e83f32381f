#include "ui/QtDialogs.h"

#include "ui/TextCodec.h"
#include "workspace/MessageNumbers.h"
#include "workspace/Messages.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace tovallo::ui {

namespace {

QString MessageText(const Messages& messages, int message, const std::string& appended) {
    return FromMessage(messages.text(message) + appended);
}

} // namespace

QString QtFilter(const std::string& filter) {
    const QStringList parts = FromWin(filter).split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        out << parts[i] + " (" + patterns.trimmed() + ")";
    }
    return out.join(";;");
}

void QtDialogs::inform(int message, const std::string& appended) {
    QMessageBox::information(parent_, FromWin(messages_.text(msg::Caption)),
                             MessageText(messages_, message, appended));
}

void QtDialogs::warn(int message, const std::string& appended) {
    QMessageBox::warning(parent_, FromWin(messages_.text(msg::Caption)),
                         MessageText(messages_, message, appended));
}

void QtDialogs::error(int message, const std::string& appended) {
    QMessageBox::critical(parent_, FromWin(messages_.text(msg::Caption)),
                          MessageText(messages_, message, appended));
}

bool QtDialogs::ask(int message, const std::string& appended) {
    return QMessageBox::question(parent_, FromWin(messages_.text(msg::Caption)),
                                 MessageText(messages_, message, appended),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool QtDialogs::askText(const std::string& text) {
    return QMessageBox::question(parent_, FromWin(messages_.text(msg::Caption)), FromMessage(text),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

Dialogs::Answer QtDialogs::askYesNoCancel(int message, const std::string& appended) {
    QMessageBox box(QMessageBox::Question, FromWin(messages_.text(msg::Caption)),
                    MessageText(messages_, message, appended),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent_);
    // Enter and Escape both keep everything: only a deliberate Yes or No goes on.
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

void QtDialogs::errorText(const std::string& text) {
    QMessageBox::critical(parent_, FromWin(messages_.text(msg::Caption)), FromMessage(text));
}

void QtDialogs::informText(const std::string& text) {
    QMessageBox::information(parent_, FromWin(messages_.text(msg::Caption)), FromMessage(text));
}

std::optional<std::string> QtDialogs::openFile(const std::string& filter) {
    const QString name =
        QFileDialog::getOpenFileName(parent_, QString(), QString(), QtFilter(filter));
    if (name.isEmpty())
        return std::nullopt;
    return name.toStdString();
}

std::optional<std::string> QtDialogs::saveFile(const std::string& filter,
                                               const std::string& suggestedName) {
    // The program asks its own "replace it?" question (message 3), so Qt's is switched off.
    const QString name =
        QFileDialog::getSaveFileName(parent_, QString(), QString::fromStdString(suggestedName),
                                     QtFilter(filter), nullptr, QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty())
        return std::nullopt;
    return name.toStdString();
}

} // namespace tovallo::ui
