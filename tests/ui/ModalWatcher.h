// ModalWatcher: answers the modal boxes and dialogs a test provokes, so no
// test waits for a person. While it lives, a timer records each new active
// modal widget and closes it unless the handler given to setHandler() does.
// Also child<T>(), the window tests' typed widget lookup.
// User-interface thread only.
#pragma once

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <type_traits>

// The widget `name` of type T inside `root`. A missing one fails the test and
// yields a stand-in, so the test ends at its next check rather than crashing.
template <typename T = QWidget> T* child(QWidget* root, const char* name)
{
    if (T* widget = root->findChild<T*>(QString::fromLatin1(name)))
        return widget;
    QTest::qFail(qPrintable(QString("no %1 %2").arg(T::staticMetaObject.className(), name)), __FILE__, __LINE__);
    return new std::conditional_t<std::is_abstract_v<T>, QPushButton, T>(root);  // a button for QAbstractButton
}

class ModalWatcher {
public:
    struct Seen {
        QString className, title, text;
    };  // text: a message box's, else null
    // Gets each new modal widget first; true means it closes the widget itself.
    using Handler = std::function<bool(QWidget*)>;

    explicit ModalWatcher(int intervalMs = 50)
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
        timer.start(intervalMs);
    }
    void setHandler(Handler h) { handler = std::move(h); }
    const QList<Seen>& seen() const { return seenList; }
    int count() const { return seenList.size(); }
    // Runs the event loop until `n` modal widgets have been seen in all, or the time is up.
    bool waitForCount(int n, int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return count() >= n; }, timeoutMs);
    }
    // Each modal seen: a message box as "title: text", anything else by its class.
    QStringList summary() const
    {
        QStringList out;
        for (const Seen& s : seenList)
            out << (s.text.isNull() ? s.className : s.title + ": " + s.text);
        return out;
    }

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || modal == lastSeen.data())
            return;
        lastSeen = modal;
        auto* box = qobject_cast<QMessageBox*>(modal);
        seenList.append({modal->metaObject()->className(), modal->windowTitle(), box ? box->text() : QString()});
        if (!handler || !handler(modal))
            modal->close();  // as the user would: a dialog rejects, a box takes its escape button
    }

    QTimer timer;
    QList<Seen> seenList;
    Handler handler;
    QPointer<QWidget> lastSeen;
};
