// Building controls at their design places: the window and every panel use
// these. Design positions are in twips; 15 twips make one pixel. Every
// control carries its legacy name as its object name ("Command1_13").
#pragma once

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QTreeWidget>

QRect tw(int left, int top, int width, int height);

template <class W> W* place(W* w, const QString& name, const QRect& rect) {
    w->setObjectName(name);
    w->setGeometry(rect);
    return w;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& rect);
// A button that Enter does not press on its own (a panel's default does).
QPushButton* button(QWidget* parent, const QString& name, const QString& text, const QRect& rect);
QLineEdit* lineEdit(QWidget* parent, const QString& name, const QRect& rect);
// "Command1", 13 -> "Command1_13"
QString indexed(const char* base, int index);
// A report list of fixed column widths that no one can drag or edit.
QTreeWidget* reportList(QWidget* parent, const QString& name, const QRect& rect,
                        const QStringList& headers, const QList<int>& widths);

// A floating panel: a framed area with its title and its close image, hidden
// until opened. The window places it, moves it and closes it by its image.
class Panel : public QFrame {
    Q_OBJECT
public:
    Panel(const QString& name, const QString& closeName, const QRect& rect, int closeLeft,
          int closeTop, QWidget* parent = nullptr);
    QLabel* closeImage() const { return m_close; }
    // Enter in the panel presses this button (none: Enter goes to the control).
    virtual QPushButton* defaultButton() const { return nullptr; }

signals:
    // Said on the window's status line.
    void status(const QString& text);

protected:
    QLabel* title(const QString& name, const QString& text);

private:
    QLabel* m_close;
};
