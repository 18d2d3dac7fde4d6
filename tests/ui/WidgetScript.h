// WidgetScript: drives and reads a form by its widgets' object names, so
// that one string of a test table says what the user does or what the form
// shows. Items are separated by ";".
//   apply(): "name=value" sets a widget (address editor, line edit, check
//     box or checkable group 0/1, spin box, slider, combo box index);
//     "name<keys" empties a line edit and types the keys; "name" clicks a
//     button, or a checkable group's title as the space key does;
//     "slot(0)", "slot(1)", "slot()" call a slot of the root.
//   shows(): for "name=…", "name.shown=…" and "name.enabled=…" items, the
//     same items with what the form holds now; a TerminalParam field name
//     reads that field of `record`.
// A name that no widget has stops the test program. User-interface thread only.
#pragma once

#include "tests/ui/TestRecords.h"
#include "ui/widgets/NxIPLineEdit.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QByteArrayList>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

template <typename T = QWidget>
T* child(const QObject* root, const QByteArray& name)
{
    T* widget = root->findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr)
        qFatal("no %s named %s", T::staticMetaObject.className(), name.constData());
    return widget;
}

inline QByteArrayList scriptItems(const QByteArray& script)
{
    QByteArrayList items;
    for (const QByteArray& item : script.split(';')) {
        if (!item.trimmed().isEmpty())
            items << item.trimmed();
    }
    return items;
}

inline void setWidget(QWidget* widget, const QByteArray& value)
{
    if (auto* address = qobject_cast<NxIPLineEdit*>(widget))
        address->setIpAddress(value.constData());
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(QString::fromUtf8(value));
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setChecked(value == "1");
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        group->setChecked(value == "1");
    else if (auto* spin = qobject_cast<QSpinBox*>(widget))
        spin->setValue(value.toInt());
    else if (auto* slider = qobject_cast<QAbstractSlider*>(widget))
        slider->setValue(value.toInt());
    else if (auto* combo = qobject_cast<QComboBox*>(widget))
        combo->setCurrentIndex(value.toInt());
    else
        qFatal("cannot set %s", qPrintable(widget->objectName()));
}

inline void apply(QWidget* root, const QByteArray& steps)
{
    for (const QByteArray& step : scriptItems(steps)) {
        const int open = step.indexOf('(');
        const int typed = step.indexOf('<');
        const int equals = step.indexOf('=');
        if (open > 0) {
            const QByteArray slot = step.left(open);
            const QByteArray argument = step.mid(open + 1, step.size() - open - 2);
            const bool called = argument.isEmpty()
                ? QMetaObject::invokeMethod(root, slot.constData())
                : QMetaObject::invokeMethod(root, slot.constData(), Q_ARG(bool, argument == "1"));
            if (!called)
                qFatal("no slot %s", step.constData());
        } else if (typed > 0) {
            auto* edit = child<QLineEdit>(root, step.left(typed));
            edit->clear();
            QTest::keyClicks(edit, QString::fromUtf8(step.mid(typed + 1)));
        } else if (equals > 0) {
            setWidget(child(root, step.left(equals)), step.mid(equals + 1));
        } else if (auto* group = qobject_cast<QGroupBox*>(child(root, step))) {
            QTest::keyClick(group, Qt::Key_Space);
        } else {
            child<QAbstractButton>(root, step)->click();
        }
    }
}

inline QByteArray widgetValue(QWidget* widget)
{
    if (auto* address = qobject_cast<NxIPLineEdit*>(widget)) {
        char text[32] = {};
        return address->getIpAddress(text, sizeof text) ? QByteArray(text) : QByteArray();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text().toUtf8();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text().toUtf8();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->isCheckable() ? QByteArray::number(button->isChecked()) : button->text().toUtf8();
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return QByteArray::number(group->isChecked());
    if (auto* spin = qobject_cast<QSpinBox*>(widget))
        return QByteArray::number(spin->value());
    if (auto* slider = qobject_cast<QAbstractSlider*>(widget))
        return QByteArray::number(slider->value());
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->currentText().toUtf8();
    if (auto* tabs = qobject_cast<QTabWidget*>(widget))
        return QByteArray::number(tabs->count());
    return "(no value)";
}

inline QByteArray shows(QWidget* root, const QByteArray& expected, const TerminalParam* record = nullptr)
{
    QByteArrayList items;
    for (const QByteArray& item : scriptItems(expected)) {
        const QByteArray key = item.left(item.indexOf('='));
        const int dot = key.indexOf('.');
        const QByteArray name = dot < 0 ? key : key.left(dot);
        const QByteArray property = dot < 0 ? QByteArray() : key.mid(dot + 1);
        QByteArray value;
        if (record == nullptr || !recordField(*record, key, &value)) {
            QWidget* widget = child(root, name);
            if (property == "shown")
                value = QByteArray::number(!widget->isHidden());
            else if (property == "enabled")
                value = QByteArray::number(widget->isEnabled());
            else
                value = widgetValue(widget);
        }
        items << key + '=' + value;
    }
    return items.join("; ");
}
