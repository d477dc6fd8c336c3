// The window's own mouse behaviour: moving it by its background, the
// minimise and close labels, the link labels, the frame, and the panels
// (centring, dragging, click-to-close, close images).
#include "app/Backdrop.h"
#include "app/Form1.h"
#include "platform/Endpoints.h"
#include "platform/Platform.h"
#include "settings/Options.h"
#include "store/Store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QWindow>

namespace {
const QString Silver = QStringLiteral("color: rgb(192, 192, 192);");
const QString White = QStringLiteral("color: rgb(255, 255, 255);");
const QString LinkHover = QStringLiteral("color: rgb(166, 0, 169);");

// Lets the platform move a top-level window with the mouse until release.
void systemMove(QWidget* window) {
    if (QWindow* handle = window->windowHandle()) handle->startSystemMove();
}
} // namespace

void Form1::DrawWindowFrame() {
    Picture7->setGeometry(3, Picture7->y(), width() - 6, Picture7->height());
    m_frameDrawn = true;
    update();
}

void Form1::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Decoded once, kept as its column and its band.
    if (!m_backdrop)
        m_backdrop = std::make_unique<Backdrop>(QImage(QStringLiteral(":/images/background.png")));
    m_backdrop->draw(p);
    if (!m_frameDrawn) return;
    p.setPen(Qt::black);
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
    p.drawLine(width() - 1, 0, width() - 1, height() - 1);
}

void Form1::mousePressEvent(QMouseEvent*) {
    systemMove(this);
}

void Form1::mouseMoveEvent(QMouseEvent*) {
    Label16[0]->setStyleSheet(Silver);
    Label16[1]->setStyleSheet(Silver);
}

void Form1::centrePanel(int index) {
    centre(kdmenu[index]);
}

void Form1::centre(QWidget* panel) {
    bringIn(panel); // placed for the first time: into the window
    panel->move(width() / 2 - panel->width() / 2, height() / 2 - panel->height() / 2);
}

void Form1::showPanel(int index) {
    centrePanel(index);
    kdmenu[index]->setVisible(true);
}

void Form1::hideAllPanels() {
    for (QFrame* p : kdmenu)
        p->setVisible(false);
    kdaccount->setVisible(false);
}

void Form1::x_Click(int index) {
    if (index == 1 && !saveAddress()) return; // the settings panel checks the address first
    kdmenu[index]->setVisible(false);
}

// The add panel as a fresh form: empty boxes, no courier, the number box
// ready for typing, the query button as the default.
void Form1::openAddPanel() {
    Text3->setCurrentText(QString());
    Text2->clear();
    Command1[12]->setText(QStringLiteral("请选择快递公司"));
    showPanel(0);
    Text3->setFocus();
    m_defaultButton[0] = Command1[13];
}

void Form1::resetQuickLinks() {
    for (QLabel* l : Label20)
        l->setStyleSheet(QString());
}

// Mouse on a panel's background: drag it (with Check4), close it (with
// Check5). A press on a control inside the panel is the control's own.
bool Form1::panelMouse(int index, QEvent* event) {
    QFrame* p = kdmenu[index];
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return false;
    auto* me = static_cast<QMouseEvent*>(event);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (p->childAt(me->position().toPoint())) return false;
        if (options->on(Switch::Drag)) {
            m_dragPanel = index;
            m_panelGrab = mapFromGlobal(me->globalPosition().toPoint()) - p->pos();
        } else if (options->on(Switch::CloseOnClick)) {
            p->setVisible(false);
        }
        return true;
    case QEvent::MouseMove:
        if (m_dragPanel == index && (me->buttons() != Qt::NoButton)) {
            p->move(mapFromGlobal(me->globalPosition().toPoint()) - m_panelGrab);
            return true;
        }
        resetQuickLinks();
        return false;
    case QEvent::MouseButtonRelease:
        if (m_dragPanel != index) return false;
        m_dragPanel = -1;
        if (options->on(Switch::CloseOnClick)) p->setVisible(false);
        return true;
    default:
        return false;
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool press = type == QEvent::MouseButtonPress;
    const bool release = type == QEvent::MouseButtonRelease;
    const bool hover = type == QEvent::Enter || type == QEvent::MouseMove;

    for (int i = 0; i < 5; ++i) {
        if (watched == kdmenu[i]) return panelMouse(i, event);
        if (watched == x[i]) {
            if (release) x_Click(i);
            return press || release;
        }
    }
    if (watched == xAccount) {
        if (release) kdaccount->setVisible(false);
        return press || release;
    }
    for (int i = 1; i <= 7; ++i)
        if (watched == Image2[i]) {
            // A click: pressed and released on the image with the left button.
            // A disabled image (during a query) does not raise it.
            if (release && Image2[i]->isEnabled() &&
                static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                Image2[i]->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                Image2_Click(i);
            return press || release;
        }
    const bool dblClick = type == QEvent::MouseButtonDblClick;
    if (watched == ListView1->viewport() && (press || release || dblClick)) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (press && me->button() == Qt::RightButton) {
            // The row under the mouse becomes the selected one, as with any press.
            if (QTreeWidgetItem* row = ListView1->itemAt(me->position().toPoint()))
                ListView1->setCurrentItem(row);
            ListView1_RightPress();
            return true;
        }
        if (release && me->button() == Qt::LeftButton) ListView1_Click();
        if (dblClick && me->button() == Qt::LeftButton) {
            if (QTreeWidgetItem* row = ListView1->itemAt(me->position().toPoint()))
                ListView1->setCurrentItem(row);
            ListView1_DblClick();
        }
        return false;
    }
    if (watched == ListView2->viewport() && press &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        // The row under the mouse becomes the selected one, as with any press.
        if (QTreeWidgetItem* row =
                ListView2->itemAt(static_cast<QMouseEvent*>(event)->position().toPoint()))
            ListView2->setCurrentItem(row);
        ListView2_RightPress();
        return true;
    }
    if (watched == Label2[1] || watched == Label2[2]) {
        if (hover) {
            Label2[1]->setStyleSheet(Silver);
            Label2[2]->setStyleSheet(Silver);
            static_cast<QLabel*>(watched)->setStyleSheet(White);
        } else if (release && watched == Label2[1]) {
            showMinimized();
        } else if (release) {
            quitProgram(0);
        }
        return press || release || hover;
    }
    for (int i = 0; i < 2; ++i)
        if (watched == Label16[i]) {
            if (hover) Label16[i]->setStyleSheet(White);
            if (press && i == 0) m_platform.shell.openUrl(m_endpoints->site);
            if (press && i == 1) {
                hideAllPanels();
                showPanel(1);
            }
            return press || hover; // a move handled here must not reach the background
        }
    if (watched == Label11[4] && press) {
        m_platform.shell.openUrl(m_endpoints->site);
        return true;
    }
    if (watched == Label22 && press) {
        m_platform.shell.openUrl(m_endpoints->promotion);
        return true;
    }
    if ((watched == Picture5 || watched == Label23) && press) {
        Picture5->setVisible(false);
        return true;
    }
    if (watched == Picture3 && type == QEvent::MouseMove) {
        resetQuickLinks();
        return false;
    }
    for (int i = 0; i < int(Label20.size()); ++i)
        if (watched == Label20[i]) {
            if (hover) {
                resetQuickLinks();
                Label20[i]->setStyleSheet(LinkHover);
            }
            if (press) Label20_Click(i);
            return hover || press;
        }
    return false;
}
