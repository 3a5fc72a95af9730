#pragma once

// What the tests of typed data share with the stand-in program of the crash test: typing into
// the input grid as a user does, and answering the modal dialogs that come to the front.

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <utility>

namespace kw::test {

// Types `text` into `widget` key by key; a character beyond ASCII as a key whose text it is.
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClicks(widget, QString(c));
        } else {
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

// Types `text` into cell (row, col) (0-based) of the grid as at the keyboard: the first key
// opens the cell's editor, the rest go into it, Return takes the text. An empty text empties
// the cell through its editor (opened, all selected, deleted).
inline bool typeCell(QTableView* grid, int row, int col, const QString& text) {
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(row, col));
    if (text.isEmpty()) {
        grid->edit(grid->currentIndex()); // as a double-click does
    } else {
        typeText(grid, text.left(1));
    }
    QLineEdit* editor = nullptr;
    for (auto* open : grid->viewport()->findChildren<QLineEdit*>()) {
        editor = open->isVisible() ? open : editor; // not one that is done and going
    }
    if (editor == nullptr) {
        return false;
    }
    if (text.isEmpty()) {
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Delete);
    } else {
        typeText(editor, text.mid(1));
    }
    QTest::keyClick(editor, Qt::Key_Return);
    // The item delegate takes the text on its way back to the event loop.
    QCoreApplication::processEvents();
    return !editor->isVisible();
}

// The grid as shown: the names, then each case, every cell followed by '|'.
inline QStringList gridRows(const QTableView* grid) {
    const QAbstractItemModel* m = grid->model();
    QStringList rows{QString()};
    for (int c = 0; c < m->columnCount(); ++c) {
        rows[0] += m->headerData(c, Qt::Horizontal).toString() + "|";
    }
    for (int r = 0; r < m->rowCount(); ++r) {
        QString row;
        for (int c = 0; c < m->columnCount(); ++c) {
            row += m->index(r, c).data(Qt::EditRole).toString() + "|";
        }
        rows << row;
    }
    return rows;
}

using Answer = std::function<void(QWidget*)>;

// Clicks later, so that a button that opens another modal dialog does not hold the poll.
inline void clickLater(QAbstractButton* button) {
    if (button != nullptr) {
        QTimer::singleShot(0, button, &QAbstractButton::click);
    }
}

// A message box's standard button.
inline Answer press(QMessageBox::StandardButton which) {
    return [which](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            clickLater(box->button(which));
        }
    };
}

// A message box's button by its text (one of its own, such as "Restore").
inline Answer pressText(const QString& text) {
    return [text](QWidget* w) {
        for (auto* button : w->findChildren<QAbstractButton*>()) {
            if (button->text() == text) {
                clickLater(button);
            }
        }
    };
}

// OK of a dialog with a button box.
inline void pressOk(QWidget* dialog) {
    if (auto* buttons = dialog->findChild<QDialogButtonBox*>()) {
        clickLater(buttons->button(QDialogButtonBox::Ok));
    }
}

// A file dialog: the file typed as its full name and accepted; a cancel for an empty name.
inline Answer answerFile(const QString& path) {
    return [path](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (dialog == nullptr) {
            return;
        }
        if (path.isEmpty()) {
            QTimer::singleShot(0, dialog, &QDialog::reject);
            return;
        }
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path);
        QTimer::singleShot(0, dialog, &QDialog::accept);
    };
}

// Answers each modal dialog that comes to the front with the next queued answer, or closes it
// (Cancel, or the button that does nothing), and records one line for it: "name: text" for a
// message box, "files" for a file dialog, its object name for other dialogs.
class Answerer final : public QObject {
public:
    Answerer() {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, &Answerer::poll);
        timer_.start();
    }
    void then(Answer answer) { answers_.append(std::move(answer)); }
    bool idle() const { return answers_.isEmpty() && QApplication::activeModalWidget() == nullptr; }
    QStringList take() { return std::exchange(seen_, {}); }

private:
    void poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (w == current_) {
            return;
        }
        current_ = w;
        if (w == nullptr) {
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            seen_ << w->objectName() + ": " + box->text();
        } else {
            seen_ << (qobject_cast<QFileDialog*>(w) != nullptr ? QString("files")
                                                               : w->objectName());
        }
        if (!answers_.isEmpty()) {
            answers_.takeFirst()(w);
        } else {
            close(w);
        }
    }

    static void close(QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            for (auto which :
                 {QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::No, QMessageBox::Discard}) {
                if (box->button(which) != nullptr) {
                    clickLater(box->button(which));
                    return;
                }
            }
        } else if (auto* buttons = w->findChild<QDialogButtonBox*>()) {
            clickLater(buttons->button(QDialogButtonBox::Cancel));
        } else if (auto* dialog = qobject_cast<QDialog*>(w)) {
            QTimer::singleShot(0, dialog, &QDialog::reject);
        }
    }

    QTimer timer_;
    QPointer<QWidget> current_;
    QList<Answer> answers_;
    QStringList seen_;
};

} // namespace kw::test
