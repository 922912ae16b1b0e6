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

// A name of its own for a control with no words beside it. A combo box carries
// it as its description too: on Linux Qt reports a combo box's current item as
// its name once it has one, and screen readers say the description after it.
void ownName(QWidget* control, const QString& name);

// The boxes of a message box repeat the same two buttons: each button is named
// after its box ("메세지 2 선택", "메세지 2 삭제").
void nameSlotButtons(const QString& slotName, QWidget* choose, QWidget* remove);

} // namespace qb
