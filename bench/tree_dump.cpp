// Writes the started window's widget tree (classes, object names, places,
// texts, lists, pixmaps, own style sheets) as JSON, for the floor program of
// the start-up bench to build again without any of the program's logic.
//
//   tree_dump OUT.json
#include "TestProgram.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QBuffer>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
QString png(const QPixmap& pixmap) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    pixmap.save(&buffer, "PNG");
    return QString::fromLatin1(bytes.toBase64());
}

void walk(QWidget* w, int parent, QJsonArray& out) {
    QJsonObject o{{"class", QString::fromLatin1(w->metaObject()->className())},
                  {"name", w->objectName()},
                  {"parent", parent},
                  {"geometry", QJsonArray{w->x(), w->y(), w->width(), w->height()}},
                  {"hidden", parent >= 0 && w->isHidden()},
                  {"style", w->styleSheet()},
                  {"tip", w->toolTip()}};
    if (auto* l = qobject_cast<QLabel*>(w)) {
        o["text"] = l->text();
        o["align"] = int(l->alignment());
        o["wrap"] = l->wordWrap();
        if (!l->pixmap().isNull()) o["pixmap"] = png(l->pixmap());
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        o["text"] = b->text();
        o["checked"] = b->isChecked();
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        o["text"] = e->text();
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        QJsonArray items;
        for (int i = 0; i < c->count(); ++i)
            items << c->itemText(i);
        o["items"] = items;
        o["editable"] = c->isEditable();
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        o["text"] = g->title();
    } else if (auto* t = qobject_cast<QTreeWidget*>(w)) {
        QJsonArray headers, widths;
        for (int i = 0; i < t->columnCount(); ++i) {
            headers << t->headerItem()->text(i);
            widths << t->columnWidth(i);
        }
        o["headers"] = headers;
        o["widths"] = widths;
    }
    const int me = int(out.size());
    out << o;
    // Lists and combo boxes make their own parts.
    if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractScrollArea*>(w)) return;
    for (QObject* child : w->children())
        if (auto* cw = qobject_cast<QWidget*>(child); cw && !cw->isWindow()) walk(cw, me, out);
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    TestProgram p;
    QFile::copy(QStringLiteral(JZB_SOURCE_DIR "/resources/skinh.she"),
                p.folder() + QStringLiteral("/skinh.she"));
    if (!p.load()) return 1;
    p.form->grab(); // painted once, as the shown window is
    QJsonArray tree;
    walk(p.form.get(), -1, tree);
    // The panels not yet shown wait on the window's shelf; in the floor they
    // are the window's, as they are once opened.
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->property(ShelfOf).value<QObject*>() == p.form.get())
            for (QObject* child : top->children())
                if (auto* panel = qobject_cast<QWidget*>(child)) walk(panel, 0, tree);
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly)) return 1;
    out.write(QJsonDocument(tree).toJson(QJsonDocument::Compact));
    std::printf("%lld widgets\n", static_cast<long long>(tree.size()));
    return 0;
}
