#pragma once
// For GUI tests: answers a question box from inside its modal loop.
#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>

// The next event loop answers every open box named `name`: call before the
// action that asks.
inline void answer_message_box(const char* name, QMessageBox::StandardButton answer)
{
    const QString wanted = QString::fromLatin1(name);
    QTimer::singleShot(0, [wanted, answer] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->objectName() == wanted && box->isVisible())
                box->done(answer);
    });
}
