// "Сравнить с файлом…": every field that differs between the configuration being
// edited and another one (a file or a backup), by its panel and caption as the window
// shows them (the field table of model/field_table.h), the current value beside the
// other. A double-click shows the field's panel; "Взять значение" takes the other
// value of the chosen rows over into the current configuration through the editor,
// as one step that Undo takes back.
#pragma once

#include "model/configuration.h"
#include "model/field_table.h"
#include "ui/navigation.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tk {

class Editor;

// The view whose panel shows a row of the field table; nothing for a hidden field.
std::optional<View> ViewOfField(const FieldRow& row);

class CompareDialog : public QDialog {
    Q_OBJECT
public:
    // `show` shows a view of the window (a double-click on a row).
    CompareDialog(QWidget* parent, Editor& editor, std::function<void(const View&)> show);

    // Compares the current configuration with `other`, named `name` in the dialog.
    void compareWith(const Configuration& other, const QString& name);

    // The rows listed: "panel — caption", the current value, the other one.
    QTreeWidget& rows() { return *rows_; }
    // Takes the other values of the selected rows over.
    void takeSelected();

private:
    void refresh();
    void showRow();

    Editor& editor_;
    std::function<void(const View&)> show_;
    Configuration other_;
    QString name_;
    std::vector<FieldDifference> differences_;
    QLabel* heading_;
    QTreeWidget* rows_;
    QPushButton* take_;
};

} // namespace tk
