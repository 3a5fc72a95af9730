#include "app/dialogs/editquestions.h"

#include "app/dialogs/messagebox.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <QLocale>
#include <QPushButton>

namespace kw::app {

QMessageBox::StandardButton askAboutUnsavedEdits(QWidget* parent) {
    MessageBox box(
        QMessageBox::Warning, programCaption(),
        QCoreApplication::translate("kw::app::EditQuestions",
                                    "The data table has changes that were not saved.") +
            "\n\n" +
            QCoreApplication::translate("kw::app::EditQuestions", "Do you want to save them?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setObjectName("unsavededits");
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool askToRestoreCopy(const QDateTime& written, QWidget* parent) {
    MessageBox box(
        QMessageBox::Question, programCaption(),
        QCoreApplication::translate(
            "kw::app::EditQuestions",
            "When the program last ended, the data table had changes that were not "
            "saved. A copy of the table was kept on %1.")
                .arg(QLocale().toString(written, QLocale::ShortFormat)) +
            "\n\n" +
            QCoreApplication::translate("kw::app::EditQuestions",
                                        "Do you want to restore it? Discard deletes the copy."),
        QMessageBox::NoButton, parent);
    box.setObjectName("restorecopy");
    QAbstractButton* restore = box.addButton(
        QCoreApplication::translate("kw::app::EditQuestions", "Restore"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Discard);
    box.setDefaultButton(qobject_cast<QPushButton*>(restore));
    for (QAbstractButton* button : box.buttons()) {
        button->setIcon(QIcon()); // plain, as the program's message box has them
    }
    box.exec();
    return box.clickedButton() == restore;
}

void showUnreadableCopy(const QString& reason, const QString& setAside, QWidget* parent) {
    const QString kept =
        setAside.isEmpty()
            ? QCoreApplication::translate("kw::app::EditQuestions", "It was deleted.")
            : QCoreApplication::translate("kw::app::EditQuestions",
                                          "It was renamed to %1 and is not offered again.")
                  .arg(QDir::toNativeSeparators(setAside));
    showFailure(QCoreApplication::translate(
                    "kw::app::EditQuestions",
                    "The copy of the data table kept when the program last ended cannot be "
                    "read: %1")
                        .arg(reason) +
                    "\n\n" + kept,
                parent);
}

} // namespace kw::app
