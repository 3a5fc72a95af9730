#pragma once

// Typing into the input grid as a user does, and answering the modal dialogs that come to the
// front: shared by the window's tests and the stand-in program of the crash test.

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
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

// Clicks later, so that a button that opens another modal dialog does not hold the poll. A
// button that is not there fails the test: the dialog is not the one it expects.
inline void clickLater(QAbstractButton* button) {
    QVERIFY(button != nullptr);
    QTimer::singleShot(0, button, &QAbstractButton::click);
}

// A dialog's button by its object name.
inline void press(QWidget* dialog, const char* name) {
    clickLater(dialog->findChild<QAbstractButton*>(name));
}

// A message box's standard button.
inline Answer press(QMessageBox::StandardButton which) {
    return [which](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        QVERIFY(box != nullptr);
        clickLater(box->button(which));
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
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    QVERIFY(buttons != nullptr);
    clickLater(buttons->button(QDialogButtonBox::Ok));
}

// A file dialog's answer: `filter` picked (where given), then the file typed as its full name
// into the name box and accepted as a user would, or, for a file that is not there, as if it
// went away after it was chosen; a cancel for an empty name. `folderShown` takes the folder the
// dialog opened in.
inline Answer answerFile(const QString& path, const QString& filter = {},
                         QString* folderShown = nullptr) {
    return [=](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        QVERIFY(dialog != nullptr);
        if (folderShown != nullptr) {
            *folderShown = dialog->directory().absolutePath();
        }
        if (path.isEmpty()) {
            QTimer::singleShot(0, dialog, &QDialog::reject);
            return;
        }
        if (!filter.isEmpty()) {
            dialog->selectNameFilter(filter);
        }
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        QVERIFY(name != nullptr);
        name->setText(path);
        if (QFileInfo::exists(path) || dialog->acceptMode() == QFileDialog::AcceptSave) {
            QTimer::singleShot(0, dialog, &QDialog::accept);
        } else {
            QTimer::singleShot(
                0, dialog, [dialog] { static_cast<QDialog*>(dialog)->done(QDialog::Accepted); });
        }
    };
}

// Answers each modal dialog that comes to the front (also one that comes back to the front
// after a dialog above it closed) with the next queued answer, or closes it, and records it.
// A subclass records other lines (record()) or closes otherwise (close()).
class Answerer : public QObject {
public:
    Answerer() {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, &Answerer::poll);
        timer_.start();
    }
    // The answer for the next dialog.
    void then(Answer answer) { answers_.append({QString(), std::move(answer)}); }
    // The answer for the dialog of that object name, when it comes to the front; a message box
    // before it is closed.
    void then(const QString& dialog, Answer answer) {
        answers_.append({dialog, std::move(answer)});
    }
    bool answered() const { return answers_.isEmpty(); }
    bool idle() const { return answered() && QApplication::activeModalWidget() == nullptr; }
    QStringList take() { return std::exchange(seen_, {}); }

protected:
    // One line: "name: text" for a message box, "files" for a file dialog, its object name
    // for other dialogs.
    virtual void record(QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            seen_ << w->objectName() + ": " + box->text();
        } else {
            seen_ << (qobject_cast<QFileDialog*>(w) != nullptr ? QString("files")
                                                               : w->objectName());
        }
    }

    // A dialog no answer is for: Cancel, or the button that does nothing.
    virtual void close(QWidget* w) {
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

    QStringList seen_;

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
        record(w);
        const bool elsewhere = !answers_.isEmpty() && !answers_.front().first.isEmpty() &&
                               answers_.front().first != w->objectName();
        if (answering_ || elsewhere) {
            // A message shown while an answer runs (one that waits for its dialog to fill its
            // lists), or before the dialog the next answer is for, is closed; the dialog
            // coming back waits for its answer.
            if (qobject_cast<QMessageBox*>(w) != nullptr) {
                close(w);
            }
            return;
        }
        answering_ = true;
        if (answers_.isEmpty()) {
            close(w);
        } else {
            answers_.takeFirst().second(w);
        }
        answering_ = false;
    }

    QTimer timer_;
    QPointer<QWidget> current_;
    QList<QPair<QString, Answer>> answers_;
    bool answering_ = false;
};

} // namespace kw::test
