#pragma once

class QLabel;
class QString;
class QWidget;

// Names for screen readers. A control is named by the words a sighted user reads
// for it: the label in front of it, or, where the only words around it are the
// title of its group (Qt would lend that title to every field of the group), a
// name of its own given with setAccessibleName ("전송범위 시작", "<@1@> 열").
namespace qb {

// The label names the control: it becomes the control's buddy (the "labelled
// by" relation screen readers follow) and its words, without the closing colon,
// the control's accessible name ("아이디 :" names the field "아이디").
void labelControl(QLabel* label, QWidget* control);

// A label's words without the colon and spaces it ends with.
QString labelWords(const QString& labelText);

} // namespace qb
