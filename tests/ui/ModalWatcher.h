// ModalWatcher: answers the modal boxes and dialogs a test provokes, so no
// test waits for a person. While it lives, a timer looks for the active
// modal widget, records its class, title and text, and closes it: a message
// box through its escape (or default, or first) button, any other dialog
// with reject(), unless a handler given to setHandler() dealt with it.
// User-interface thread only; header-only so every test can include it.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

class ModalWatcher {
public:
    struct Seen {
        QString className;
        QString title;
        QString text;  // a message box's
    };

    // The handler gets each new modal widget first; returning true means it
    // has closed (or will close) the widget itself.
    using Handler = std::function<bool(QWidget*)>;

    explicit ModalWatcher(int intervalMs = 50)
    {
        timer.setInterval(intervalMs);
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
        timer.start();
    }

    void setHandler(Handler h) { handler = std::move(h); }
    const QList<Seen>& seen() const { return seenList; }
    int count() const { return seenList.size(); }

    // Runs the event loop until `n` modal widgets have been seen in all, or
    // the time is up; returns whether they were.
    bool waitForCount(int n, int timeoutMs = 10000)
    {
        QElapsedTimer elapsed;
        elapsed.start();
        while (seenList.size() < n && elapsed.elapsed() < timeoutMs)
            QTest::qWait(20);
        return seenList.size() >= n;
    }

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            lastHandled = nullptr;  // a dialog shown again counts again
            return;
        }
        if (modal == lastHandled.data())
            return;
        lastHandled = modal;

        auto* box = qobject_cast<QMessageBox*>(modal);
        seenList.append({QString::fromLatin1(modal->metaObject()->className()), modal->windowTitle(),
                         box != nullptr ? box->text() : QString()});
        if (handler && handler(modal))
            return;
        QAbstractButton* button = nullptr;
        if (box != nullptr) {
            button = box->escapeButton();
            if (button == nullptr)
                button = box->defaultButton();
            if (button == nullptr && !box->buttons().isEmpty())
                button = box->buttons().first();
        }
        if (button != nullptr)
            button->click();
        else if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }

    QTimer timer;
    QList<Seen> seenList;
    Handler handler;
    QPointer<QWidget> lastHandled;
};
