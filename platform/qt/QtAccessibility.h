#pragma once
// What screen readers (through AT-SPI) learn of the widgets beyond Qt's own defaults:
//  [x] a form is a dialog, the status bar a status bar whose name is its text, so that its
//      messages are announced
//  [x] Qt's own fallback balloon (the tray without a notification server) an alert named by
//      its title, its message as the description
//  [x] a label names its field: buddy (its access key focuses the field) and the field's
//      accessible name, also on the line edit inside a spin field, which takes the focus

#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

namespace zerka::qt {

// Once per process, before any accessible object is asked for.
void InstallAccessibleRoles();

void MarkAsDialog(QWidget* form);
void MarkAsStatusBar(QWidget* bar);

// The caption of a label without its access-key marks: what a reader says for the field.
QString CaptionWithoutAccessKey(const QString& caption);
void NameFieldByLabel(QLabel* label, QWidget* field, QLineEdit* edit);

}  // namespace zerka::qt
