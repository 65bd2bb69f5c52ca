// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The tree view's skin file, read at both pixel densities, laid out over categories with many
// nodes and drawn node by node in every state, as the tree paints. The file may name the small
// pictures and the expand and icon files made beside it.
#include "CTreeRows.h"
#include "CTreeSkin.h"
#include "FuzzSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstring>

namespace {

void WriteText(const QString& path, const char* text)
{
    fuzz::WriteInput(path, reinterpret_cast<const std::uint8_t*>(text), std::strlen(text));
}

void Setup(const QString& folder)
{
    static int argc = 1;
    static char name[] = "fuzz_tree_skin";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
    QImage a(6, 4, QImage::Format_ARGB32);
    a.fill(qRgba(255, 0, 0, 128));
    a.save(folder + QStringLiteral("/a.png"));
    a.scaled(12, 8).save(folder + QStringLiteral("/a@2x.png"));
    QImage b(1, 9, QImage::Format_RGB32);
    b.fill(Qt::blue);
    b.save(folder + QStringLiteral("/b.png"));
    WriteText(folder + QStringLiteral("/TreeExpand.xml"),
        "<TreeExpand><Open File=\"a.png\"/><Close File=\"b.png\"/></TreeExpand>");
    WriteText(folder + QStringLiteral("/TreeIcons.xml"),
        "<TreeIcons><Artist File=\"a.png\"/><Album File=\"b.png\"/><Year File=\"a.png\"/>"
        "<Genre File=\"b.png\"/><Playlist File=\"a.png\"/><Radio File=\"b.png\"/></TreeIcons>");
}

class Painter : public ITreeNodePainter {
public:
    Painter(const CTreeSkin& skin, QPainter& painter) : m_skin(skin), m_painter(painter) {}
    QRect DrawNode(CSkinTreeNode& node, const QRect& back, const QRect& elements) override
    {
        return m_skin.DrawNode(m_painter, node, back, elements);
    }

private:
    const CTreeSkin& m_skin;
    QPainter& m_painter;
};

// Every category, expanded, with nodes of each kind; one category holds a long list.
void Fill(CTreeRows& rows)
{
    const NodeType types[] = {NodeType::Artist, NodeType::Album, NodeType::Year,
        NodeType::Genre, NodeType::Radio, NodeType::Playlist};
    for (NodeType type : types) {
        CSkinTreeNode* head = rows.AddCategory(type, QStringLiteral("A category head"));
        head->m_expanded = true;
        CSkinTreeNode* value = rows.AddValueNode(head, QStringLiteral("A value"), QStringLiteral("v"));
        value->m_expanded = true;
        value->m_state = CSkinTreeNode::kFocus;
        rows.AddAlbumNode(value, QStringLiteral("An album"), QStringLiteral("v"), QStringLiteral("b"));
        rows.AddRadioNode(head, QStringLiteral("Radio"), QStringLiteral("r"));
        rows.AddPlaylistNode(head, QStringLiteral("Playlist"), QStringLiteral("0a0b0c0d.db"));
    }
    CSkinTreeNode* many = rows.Root()->m_children.front();
    for (int i = 0; i < 2000; ++i)
        rows.AddValueNode(many, QStringLiteral("Artist %1").arg(i), QString());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString& folder = fuzz::Folder();
    static const bool ready = (Setup(folder), true);
    (void)ready;
    const QString path = folder + QStringLiteral("/Tree.xml");
    fuzz::WriteInput(path, data, size);
    QImage canvas(300, 200, QImage::Format_ARGB32_Premultiplied);
    for (qreal ratio : {1.0, 2.0}) {
        CTreeSkin skin;
        skin.Load(path, ratio);
        CTreeRows rows;
        rows.SetHeights(skin.NodeHeight(), skin.HeadHeight());
        rows.SetAutoLayout(false);
        Fill(rows);
        rows.RecalcLayout();
        rows.Scroll().SetClientHeight(canvas.height());
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        skin.BackImage().DrawClipped(painter, 0, 0, canvas.width(), canvas.height());
        Painter nodePainter(skin, painter);
        for (int pos : {0, rows.Scroll().Max() / 2, rows.Scroll().Max()}) {
            rows.Scroll().ScrollTo(pos);
            rows.Walk(CTreeRows::kIndent, canvas.width(), canvas.height(), &nodePainter);
        }
    }
    return 0;
}
