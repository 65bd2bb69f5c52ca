// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The list view's skin file, read at both pixel densities, laid out over a long list of groups
// with their blocks and drawn row by row in every state, as the list paints. The file may
// name the small pictures and the rating and cover files made beside it.
#include "CListRows.h"
#include "CListSkin.h"
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
    static char name[] = "fuzz_list_skin";
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
    WriteText(folder + QStringLiteral("/ListRate.xml"),
        "<ListRate><Show File=\"a.png\"/><Hide File=\"b.png\"/></ListRate>");
    WriteText(folder + QStringLiteral("/ListCover.xml"),
        "<ListCover><Cover File=\"a.png\"/><Overlay File=\"b.png\"/></ListCover>");
}

class Painter : public IListRowPainter {
public:
    Painter(const CListSkin& skin, QPainter& painter) : m_skin(skin), m_painter(painter) {}
    QRect DrawRow(CSkinListNode& node, const QRect& rect) override
    {
        QSize coverSize;
        return m_skin.DrawRow(m_painter, node, rect, &coverSize);
    }

private:
    const CListSkin& m_skin;
    QPainter& m_painter;
};

// Groups of songs with every state, play state and rating, then one long flat tail.
void Fill(CListRows& rows)
{
    for (int group = 0; group < 3; ++group) {
        CSkinListNode* head = rows.AddHead(QStringLiteral("/m/a/%1.mp3").arg(group));
        head->m_texts[0] = QStringLiteral("Artist with a name longer than any row");
        head->m_texts[1] = QStringLiteral("Album");
        for (int i = 0; i < 6; ++i) {
            CSkinListNode* song = rows.AddSong(i + 1, head, QStringLiteral("/m/a/s.mp3"), 0, i);
            song->m_state = static_cast<RowState>(1 << (i % 3));
            song->m_playState = static_cast<PlayState>(1 << (i / 2 % 3));
            for (int slot = 0; slot < kListSlotCount; ++slot)
                song->m_texts[static_cast<std::size_t>(slot)] = QStringLiteral("Text %1").arg(slot);
        }
    }
    for (int i = 0; i < 2000; ++i)
        rows.AddSong(0, nullptr, QString(), i + 1, 5);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString& folder = fuzz::Folder();
    static const bool ready = (Setup(folder), true);
    (void)ready;
    const QString path = folder + QStringLiteral("/List.xml");
    fuzz::WriteInput(path, data, size);
    QImage canvas(300, 200, QImage::Format_ARGB32_Premultiplied);
    for (qreal ratio : {1.0, 2.0}) {
        CListSkin skin;
        skin.Load(path, ratio);
        (void)skin.HeadKinds();
        (void)skin.SongKinds();
        CListRows rows;
        rows.SetGeometry(skin.Geometry());
        rows.SetAutoLayout(false);
        Fill(rows);
        rows.RecalcLayout();
        rows.Scroll().SetClientHeight(canvas.height());
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        skin.BackImage().DrawClipped(painter, 0, 0, canvas.width(), canvas.height());
        Painter rowPainter(skin, painter);
        for (int pos : {0, rows.Scroll().Max() / 2, rows.Scroll().Max()}) {
            rows.Scroll().ScrollTo(pos);
            rows.Walk(0, canvas.width(), canvas.height(), &rowPainter);
        }
    }
    return 0;
}
