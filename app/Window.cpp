// The window's own mouse behaviour: moving it by its background, the
// minimise and close labels, the link labels, the frame, and the panels
// (centring, dragging, click-to-close, close images).
#include "app/Backdrop.h"
#include "app/Form1.h"
#include "couriers/CourierPanel.h"
#include "parcels/AddPanel.h"
#include "parcels/BatchPanel.h"
#include "parcels/EditPanel.h"
#include "parcels/SearchPanel.h"
#include "platform/Endpoints.h"
#include "platform/Platform.h"
#include "settings/AccountPanel.h"
#include "settings/Options.h"
#include "settings/SettingsPanel.h"
#include "tracking/QuerySession.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTreeWidget>
#include <QWindow>

namespace {
const QString Silver = QStringLiteral("color: rgb(192, 192, 192);");
const QString White = QStringLiteral("color: rgb(255, 255, 255);");

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

void Form1::centre(QWidget* panel) {
    bringIn(panel); // placed for the first time: into the window
    panel->move(width() / 2 - panel->width() / 2, height() / 2 - panel->height() / 2);
}

// A panel placed for the first time comes into the window in its built
// stacking order: under the panels after it that are in already, and under
// the enlarged-entry overlay.
void Form1::bringIn(QWidget* panel) {
    if (panel->parentWidget() == this) return;
    panel->setParent(this);
    QWidget* above = Picture5;
    for (auto i = m_panels.size(); i-- > 0 && m_panels[i] != panel;)
        if (m_panels[i]->parentWidget() == this) above = m_panels[i];
    panel->stackUnder(above);
}

void Form1::showPanel(int index) {
    centre(kdmenu[index]);
    kdmenu[index]->setVisible(true);
}

void Form1::hideAllPanels() {
    for (QFrame* p : kdmenu)
        p->setVisible(false);
    m_account->setVisible(false);
    m_batch->setVisible(false);
}

void Form1::x_Click(int index) {
    // The settings panel checks and stores the address first.
    if (index == 1 && !m_settings->saveAddress()) return;
    kdmenu[index]->setVisible(false);
}

// The add panel as a fresh form, the query button as the default.
void Form1::openAddPanel() {
    showPanel(0);
    m_add->openAddPanel();
}

void Form1::openEditPanel() {
    if (m_edit->openEditPanel()) showPanel(2);
}

void Form1::openSearchPanel() {
    showPanel(3);
    m_search->openSearchPanel();
}

void Form1::openCourierList(int opener) {
    m_couriers->openCourierList(opener);
    if (opener == 8) // picking for the edit panel: it alone stays beside the list
        for (int i : {0, 1, 3})
            kdmenu[i]->setVisible(false);
    showPanel(4);
    kdmenu[4]->raise();
}

// The destination is whichever parcel panel is visible, the add panel first;
// the courier code is taken in every case.
void Form1::courierPicked(const QString& name, const std::optional<QString>& code) {
    if (m_add->isVisible()) {
        m_add->setCompany(name);
        m_couriers->setVisible(false);
    } else if (m_edit->isVisible()) {
        m_edit->setCompany(name);
        m_couriers->setVisible(false);
    }
    if (code) m_session->setCode(*code);
}

void Form1::openBatchPanel() {
    hideAllPanels();
    centre(m_batch);
    m_batch->setVisible(true);
    m_batch->raise();
    m_batch->openBatchPanel();
}

void Form1::openAccountPanel() {
    centre(m_account);
    m_account->setVisible(true);
    m_account->raise();
    m_account->openAccountPanel();
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
        if (m_options->on(Switch::Drag)) {
            m_dragPanel = index;
            m_panelGrab = mapFromGlobal(me->globalPosition().toPoint()) - p->pos();
        } else if (m_options->on(Switch::CloseOnClick)) {
            p->setVisible(false);
        }
        return true;
    case QEvent::MouseMove:
        if (m_dragPanel == index && (me->buttons() != Qt::NoButton)) {
            p->move(mapFromGlobal(me->globalPosition().toPoint()) - m_panelGrab);
            return true;
        }
        m_couriers->resetQuickLinks();
        return false;
    case QEvent::MouseButtonRelease:
        if (m_dragPanel != index) return false;
        m_dragPanel = -1;
        if (m_options->on(Switch::CloseOnClick)) p->setVisible(false);
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
        if (watched == kdmenu[i]->closeImage()) {
            if (release) x_Click(i);
            return press || release;
        }
    }
    for (Panel* p : {static_cast<Panel*>(m_account), static_cast<Panel*>(m_batch)})
        if (watched == p->closeImage()) {
            if (release) p->setVisible(false);
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
    if ((watched == Picture5 || watched == Label23) && press) {
        Picture5->setVisible(false);
        return true;
    }
    return false;
}
