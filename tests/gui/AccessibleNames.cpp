#include "AccessibleNames.h"

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QMap>
#include <QWidget>

#include <functional>

namespace qb::test {
namespace {

// What a user operates or reads as a value: these need a name.
bool isControl(QAccessible::Role role) {
    switch (role) {
    case QAccessible::Button:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Dial:
    case QAccessible::PageTab:
    case QAccessible::MenuItem:
    case QAccessible::Link:
    case QAccessible::ProgressBar:
    case QAccessible::Graphic:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
        return true;
    default:
        return false;
    }
}

// Rows and cells are data, not controls (and a grid may hold a million); a
// combo box's own children are its popup; a web page names its own controls.
bool descendInto(QAccessibleInterface* iface) {
    switch (iface->role()) {
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::ComboBox:
        return false;
    default:
        break;
    }
    const QObject* o = iface->object();
    return !(o && o->inherits("QWebEngineView"));
}

QString roleName(QAccessible::Role role) {
    static const QMap<QAccessible::Role, QString> names{
        {QAccessible::Button, "Button"},
        {QAccessible::ButtonMenu, "ButtonMenu"},
        {QAccessible::ButtonDropDown, "ButtonDropDown"},
        {QAccessible::CheckBox, "CheckBox"},
        {QAccessible::RadioButton, "RadioButton"},
        {QAccessible::ComboBox, "ComboBox"},
        {QAccessible::EditableText, "EditableText"},
        {QAccessible::SpinBox, "SpinBox"},
        {QAccessible::Slider, "Slider"},
        {QAccessible::Dial, "Dial"},
        {QAccessible::PageTab, "PageTab"},
        {QAccessible::MenuItem, "MenuItem"},
        {QAccessible::Link, "Link"},
        {QAccessible::ProgressBar, "ProgressBar"},
        {QAccessible::Graphic, "Graphic"},
        {QAccessible::List, "List"},
        {QAccessible::Table, "Table"},
        {QAccessible::Tree, "Tree"},
    };
    return names.value(role, QString::number(role));
}

QString where(QAccessibleInterface* iface) {
    const QObject* o = iface->object();
    QString what = roleName(iface->role());
    if (o)
        what += " " + QString::fromLatin1(o->metaObject()->className()) +
                (o->objectName().isEmpty() ? QString() : " " + o->objectName());
    return what;
}

// On Linux Qt reports a combo box's current item as its name and its label
// through the "labelled by" relation (the label whose buddy it is); elsewhere the
// name is its accessible name, which Linux also reports while the box is empty.
bool comboHasOwnName(QAccessibleInterface* combo) {
    if (const auto* w = qobject_cast<const QWidget*>(combo->object());
        w && !w->accessibleName().trimmed().isEmpty())
        return true;
    for (const auto& [label, relation] : combo->relations(QAccessible::Label))
        if (label && label->role() != QAccessible::Grouping &&
            !label->text(QAccessible::Name).trimmed().isEmpty())
            return true;
    return false;
}

struct Control {
    QAccessibleInterface* iface;
    QString name;
    QStringList groups; // titles of the group boxes around it, innermost first
};

void collect(QAccessibleInterface* iface, QStringList groups, std::vector<Control>& out) {
    if (!iface || !iface->isValid() || iface->state().invisible)
        return;
    if (isControl(iface->role()))
        out.push_back({iface, iface->text(QAccessible::Name).trimmed(), groups});
    if (!descendInto(iface))
        return;
    if (iface->role() == QAccessible::Grouping)
        groups.prepend(iface->text(QAccessible::Name).trimmed());
    for (int i = 0; i < iface->childCount(); ++i)
        collect(iface->child(i), groups, out);
}

std::vector<Control> controlsOf(QWidget* window) {
    std::vector<Control> out;
    collect(QAccessible::queryAccessibleInterface(window), {}, out);
    return out;
}

} // namespace

QStringList namelessControls(QWidget* window) {
    QStringList problems;
    const QString title = window->windowTitle();
    QMap<QString, int> uses;
    const std::vector<Control> controls = controlsOf(window);
    for (const Control& c : controls)
        ++uses[roleName(c.iface->role()) + "\t" + c.name];
    for (const Control& c : controls) {
        QString problem;
        if (c.name.isEmpty())
            problem = "no name";
        else if (c.groups.contains(c.name))
            problem = "named after its group \"" + c.name + "\"";
        else if (c.iface->role() == QAccessible::ComboBox && !comboHasOwnName(c.iface))
            problem = "named by its current item \"" + c.name + "\"";
        // Combo boxes with names of their own may show the same item ("열선택").
        else if (uses.value(roleName(c.iface->role()) + "\t" + c.name) > 1 &&
                 c.iface->role() != QAccessible::ComboBox)
            problem = "shares its name \"" + c.name + "\"";
        if (!problem.isEmpty())
            problems << "[" + title + "] " + where(c.iface) + ": " + problem;
    }
    return problems;
}

std::string lines(const QStringList& list) {
    std::string out;
    for (const QString& l : list)
        out += l.toStdString() + "\n";
    return out;
}

QStringList describeControls(QWidget* window) {
    QStringList out;
    for (const Control& c : controlsOf(window))
        out << where(c.iface) + ": \"" + c.name + "\"";
    return out;
}

AccessibleNamesAudit::AccessibleNamesAudit() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            check(w);
    qApp->installEventFilter(this);
}

AccessibleNamesAudit::~AccessibleNamesAudit() {
    qApp->removeEventFilter(this);
}

bool AccessibleNamesAudit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow())
            check(w);
    }
    return false;
}

void AccessibleNamesAudit::check(QWidget* window) {
    // Popups (menus, a combo box's list) are parts of the window they drop from.
    if (window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip)
        return;
    bool known = false;
    for (const QPointer<QWidget>& w : m_windows)
        known = known || w == window;
    if (!known) {
        m_windows.emplace_back(window);
        m_titles << window->windowTitle();
    }
    for (const QString& p : namelessControls(window))
        if (!m_problems.contains(p))
            m_problems << p;
}

QStringList AccessibleNamesAudit::problems() {
    for (const QPointer<QWidget>& w : m_windows)
        if (w && w->isVisible())
            check(w);
    return m_problems;
}

} // namespace qb::test
