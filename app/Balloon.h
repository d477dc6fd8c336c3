// The balloon tip over one control (a title line and a multi-line body,
// shown while the mouse rests on the control, replaced by each Create), and
// the header lock that keeps a list's column widths as designed.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QFrame;
class QLabel;
class QTreeWidget;
class QWidget;

class Class1 : public QObject {
    Q_OBJECT
public:
    explicit Class1(QObject* parent = nullptr);
    ~Class1() override;

    void ParentControl(QWidget* control);
    void ToolTipTitle(const QString& title);
    void ToolTipText(const QString& text); // also changes a balloon already made
    void Create();                         // a new balloon in place of the last one

    QWidget* balloon() const; // the balloon of the last Create, if any

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showBalloon();

    QPointer<QWidget> m_parent;
    QString m_title, m_text;
    QPointer<QFrame> m_balloon;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_textLabel = nullptr;
    QTimer m_rest; // how long the mouse rests before the balloon shows
};

// Neither dragging a column divider nor double-clicking it changes a column's
// width; clicks on the header still reach the list.
void HookListHeader(QTreeWidget* list);
