#pragma once

#include "core/data/variablechecks.h"
#include "core/session/session.h"

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace kw::app {

// The upper part of the main window, where the test is set up: the grouping and the test
// variable, alpha and "calculate"; how the grouping variable is treated and the missing-value
// code; the condition row (variable, operator, value, "add", "remove", "clear") and the list
// of conditions under "include cases if:". It shows what the session holds and reports what
// the user does; the main window turns that into calls of the session.
class SelectionPanel final : public QWidget {
    Q_OBJECT
public:
    explicit SelectionPanel(QWidget* parent = nullptr);

    // What is typed in.
    QString alphaText() const;
    void setAlphaText(const QString& text);
    QString missingCode() const;
    void setMissingCode(const QString& code);

    // The choosers of the variables and the grouping mode, from the session.
    void showChoices(const Session& session);
    // The value list of the selection variable and the conditions, from the session.
    void showSelection(const Session& session);
    // No selection variable (after a refusal of the one picked).
    void clearSelectionVariable();
    // No selection variable and no operator ("clear").
    void clearConditionRow();

    // The condition row as chosen: positions in the choosers (-1: none), and the value
    // chosen from `values` (the session's value list), as its bytes were read.
    int selectionPosition() const;
    int operatorPosition() const;
    std::optional<std::string> chosenValue(const std::vector<std::string>& values) const;
    // The condition highlighted in the list (-1: none).
    int highlightedCondition() const;

signals:
    void groupPicked(int position);
    void testPicked(int position);
    void selectionPicked(int position);
    void groupModeChosen(GroupMode mode);
    void calculateClicked();
    void addClicked();
    void removeClicked();
    void clearClicked();
    void storeVersionClicked();

private:
    QComboBox* groupChoice_;
    QComboBox* testChoice_;
    QLineEdit* alphaEdit_;
    QButtonGroup* groupModeButtons_;
    QLineEdit* missingCodeEdit_;
    QComboBox* selectionChoice_;
    QComboBox* operatorChoice_;
    QComboBox* valueChoice_;
    QListWidget* conditionList_;
};

} // namespace kw::app
