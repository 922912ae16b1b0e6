#pragma once

class QBoxLayout;
class QDialog;
class QPushButton;

namespace qb {

// A row at the end of `layout`: `okUtf8` and "취소" at the right, wired to the
// dialog's accept and reject, named `okName` and "cancel". Where Enter belongs to
// a box of several lines, `okIsDefault` is false and no button takes it.
QPushButton* addDialogButtons(QDialog* dialog, QBoxLayout* layout, const char* okUtf8,
                              const char* okName = "ok", bool okIsDefault = true);

} // namespace qb
